// What the job on one of several devices knows of its device before its command starts,
// and the output paths the jobs of one run have taken, so that no two write the same file.
#pragma once

#include <QMap>
#include <QString>

#include <mutex>

namespace orvane::cli {

// Output paths taken by the jobs of one run. Asked once per file or folder a job writes:
// never on the path of the transfers themselves.
class OutputClaims {
public:
    // True when `path` is now the job's of `device`; false, with the device that took it
    // first in `owner`, when another job has it.
    bool claim(const QString& path, const QString& device, QString& owner);

private:
    std::mutex lock_;
    QMap<QString, QString> owners_;
};

struct DeviceSlot {
    QString port;      // the port it answered on (as opened)
    QString name;      // the port's short name: the lines' prefix and {port} of file names
    QString version;   // the version text it answered with
    bool idKnown = false;
    quint64 id = 0;    // its identifier, read when it was found
    QString key;       // names its files in a folder: the identifier, or "ID-NAME" when
                       // another device of the run has the same identifier
    int index = 0;     // its place among the devices in port order, from 0
    OutputClaims* claims = nullptr;
};

}  // namespace orvane::cli
