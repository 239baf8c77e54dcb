#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

#include <sched.h>
#include <sys/mount.h>

// Small file systems for the tests of a full disk and a read-only file system, which bind
// root as well. They need a mount namespace of the process's own.

// Makes one, before Qt starts any thread: mounts made by the tests then stay inside this
// process (and the children it forks). False where the process may not (not root).
inline bool enterPrivateMountNamespace()
{
    return ::unshare(CLONE_NEWNS) == 0 &&
           ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

// A tmpfs of the given size over a folder, for as long as it lives.
class Tmpfs {
public:
    Tmpfs(const QString &folder, int kilobytes) : target_(QFile::encodeName(folder))
    {
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        mounted_ =
            ::mount("kelvane-test", target_.constData(), "tmpfs", 0, options.constData()) == 0;
    }
    ~Tmpfs()
    {
        if (mounted_)
            ::umount2(target_.constData(), MNT_DETACH);
    }
    Tmpfs(const Tmpfs &) = delete;
    Tmpfs &operator=(const Tmpfs &) = delete;
    bool isMounted() const { return mounted_; }
    bool makeReadOnly()
    {
        return ::mount(nullptr, target_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

private:
    QByteArray target_;
    bool mounted_ = false;
};

// Fills the file system that holds `folder` to the last byte, in a file named "filler".
inline void fillUp(const QString &folder)
{
    QFile filler(QDir(folder).filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // The last partial block, byte by byte.
    while (filler.write("f", 1) == 1) {
    }
}
