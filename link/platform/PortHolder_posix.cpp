#include "PortHolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace orvane {
namespace {

std::string programName(long pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The process holding a lock on the file (device, inode), from lines such as
// "1: FLOCK  ADVISORY  WRITE 1234 00:18:3 0 EOF" (major and minor in hexadecimal).
long lockHolder(const struct stat& st) {
    std::ifstream locks("/proc/locks");
    std::string line;
    const long self = long(::getpid());
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (!(fields >> number >> kind)) continue;
        if (kind == "->") fields >> kind;  // a waiter: "1: -> FLOCK ..."
        if (!(fields >> mode >> access >> pid >> file)) continue;
        unsigned major = 0, minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%lu", &major, &minor, &inode) != 3) continue;
        if (major == ::major(st.st_dev) && minor == ::minor(st.st_dev) && inode == st.st_ino &&
            pid != self && pid > 0)
            return pid;
    }
    return 0;
}

// A process with the file open, among those whose descriptors this user may read.
long openerOf(const struct stat& st) {
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    const long self = long(::getpid());
    long found = 0;
    while (!found) {
        const dirent* entry = ::readdir(proc);
        if (!entry) break;
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (pid <= 0 || *end != '\0' || pid == self) continue;
        const std::string fdDir = "/proc/" + std::string(entry->d_name) + "/fd";
        DIR* fds = ::opendir(fdDir.c_str());
        if (!fds) continue;
        while (const dirent* fd = ::readdir(fds)) {
            struct stat target {};
            if (fd->d_name[0] == '.') continue;
            if (::stat((fdDir + "/" + fd->d_name).c_str(), &target) == 0 &&
                target.st_rdev == st.st_rdev && target.st_ino == st.st_ino &&
                target.st_dev == st.st_dev) {
                found = pid;
                break;
            }
        }
        ::closedir(fds);
    }
    ::closedir(proc);
    return found;
}

}  // namespace

PortHolder findPortHolder(const std::string& path) {
    PortHolder holder;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return holder;
    holder.pid = lockHolder(st);
    if (holder.pid == 0) holder.pid = openerOf(st);
    if (holder.pid != 0) holder.name = programName(holder.pid);
    return holder;
}

}  // namespace orvane
