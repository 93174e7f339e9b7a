#pragma once

#include <QFile>
#include <QString>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>

namespace tarvik {

// While it lives, no new file can be made in the folder, not even by root:
// its write permission is taken away, and the thread gives up the capability
// to override permission bits, as an ordinary user has none.
struct ClosedFolder {
    const QString path;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[_LINUX_CAPABILITY_U32S_3]{};

    explicit ClosedFolder(const QString& folder) : path(folder) {
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        syscall(SYS_capget, &header, saved);
        auto lowered = std::to_array(saved);
        lowered[0].effective &= ~(1U << CAP_DAC_OVERRIDE);
        syscall(SYS_capset, &header, lowered.data());
    }
    ~ClosedFolder() {
        syscall(SYS_capset, &header, saved);
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    }
    ClosedFolder(const ClosedFolder&) = delete;
    ClosedFolder& operator=(const ClosedFolder&) = delete;
};

} // namespace tarvik
