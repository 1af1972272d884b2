// The device-sim program: prints its port, answers on it, and removes the link when
// terminated by a signal.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "RawPort.h"

using namespace orvane::test;

extern char** environ;

namespace {

struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child spawnSim(const std::vector<std::string>& args) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<char*> argv{const_cast<char*>(DEVICE_SIM_PATH)};
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    Child c;
    if (posix_spawn(&c.pid, DEVICE_SIM_PATH, &actions, nullptr, argv.data(), environ) != 0) c.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    c.out = fdopen(pipeFds[0], "r");
    return c;
}

std::string readLine(FILE* f) {
    char buf[512];
    if (!f || !std::fgets(buf, sizeof buf, f)) return {};
    std::string s = buf;
    if (!s.empty() && s.back() == '\n') s.pop_back();
    return s;
}

}  // namespace

TEST(SimExecutable, PrintsItsPortAndCleansUpOnSignals) {
    char tmpl[] = "/tmp/orvane-exe-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    const std::string dir = tmpl;
    for (int sig : {SIGTERM, SIGINT}) {
        Child c = spawnSim({"--ports-dir", dir, "--name", "dev"});
        ASSERT_GT(c.pid, 0);
        const std::string path = readLine(c.out);
        EXPECT_EQ(path, dir + "/dev");
        RawPort port(path);
        bool ok = false;
        port.exchange(11, {}, ok);
        EXPECT_TRUE(ok);
        port.close();
        kill(c.pid, sig);
        int status = 0;
        waitpid(c.pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        struct stat st {};
        EXPECT_NE(lstat(path.c_str(), &st), 0) << "link left behind after signal " << sig;
        std::fclose(c.out);
    }
    rmdir(dir.c_str());
}

TEST(SimExecutable, RefusesBadArgumentsAndAMissingPortsDirectory) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--latency", "x"}, {"--ports-dir", "/nonexistent/orvane/ports"}}) {
        Child c = spawnSim(args);
        ASSERT_GT(c.pid, 0);
        int status = 0;
        waitpid(c.pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 0) << args[0];
        std::fclose(c.out);
    }
}
