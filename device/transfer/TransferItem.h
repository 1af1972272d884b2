// One entry of a transfer job's work list: a local path to upload, or a device file name to
// read. Plain value type, copied into the job so the window may change its fields meanwhile.
#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

struct TransferItem {
    QString name;            // upload: local path; reading job: device file name
    bool toUpdates = false;  // upload only: store under the device folder "Updates/"
};

using TransferItems = QList<TransferItem>;
