#include "platform/ini/AtomicFile.h"

#include "platform/ini/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

const QString kTempMark = QStringLiteral(".quorvel-tmp-");

void (*beforeRename)() = nullptr;

QString systemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<std::size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

struct LinkTarget {
    QString path;
    bool linked = false;
    bool circular = false;
};

// What a chain of symbolic links ends at; the file itself when it is no link.
LinkTarget followLinks(const QString& path)
{
    LinkTarget target{path};
    for (int hops = 0; QFileInfo(target.path).isSymLink(); ++hops) {
        if (hops == 40) {
            target.circular = true;
            break;
        }
        target.path = QFileInfo(target.path).symLinkTarget();
        target.linked = true;
    }
    return target;
}

// A stale temporary file: a regular file (no link) of ours, last written before the limit.
bool removeIfStale(const QString& path, std::time_t limit)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()
        || st.st_mtime >= limit)
        return false;
    return ::unlink(name.constData()) == 0;
}

} // namespace

bool isTemporaryFileName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^\\..+\\.quorvel-tmp-[A-Za-z0-9]{6}$"));
    return pattern.match(fileName).hasMatch();
}

void replaceFile(const QString& path, const QByteArray& data)
{
    auto fail = [&](const QString& what, int code) {
        QString text = QStringLiteral("Cannot write the file \"%1\": %2").arg(path, what);
        if (code != 0)
            text += QStringLiteral(" (%1)").arg(systemError(code));
        throw IniError((text + QLatin1Char('.')).toStdString());
    };
    // Replace what the link points at and keep the link. A link may point anywhere, so its
    // target's folder is never created: writing through a link needs a folder that exists.
    const LinkTarget link = followLinks(path);
    if (link.circular)
        fail(QStringLiteral("its symbolic links go round in a circle"), 0);
    const QString& target = link.path;
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();
    if (link.linked) {
        if (!QFileInfo(folder).isDir())
            fail(QStringLiteral("it is a symbolic link into the folder \"%1\", which does not exist").arg(folder), 0);
    } else if (!QDir().mkpath(folder)) {
        fail(QStringLiteral("its folder cannot be created"), 0);
    }

    QByteArray tmp =
        QFile::encodeName(folder + QStringLiteral("/.") + targetInfo.fileName() + kTempMark + QStringLiteral("XXXXXX"));
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0)
        fail(QStringLiteral("no temporary file"), errno);
    // Private whatever the old file's mode was; the owner stays the old file's where we may.
    ::fchmod(fd, 0600);
    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0 && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Not being allowed to give it away is no reason to fail the write.
    }
    int code = 0;
    if (!writeAll(fd, data) || ::fsync(fd) != 0)
        code = errno;
    if (::close(fd) != 0 && code == 0)
        code = errno;
    if (code == 0 && beforeRename)
        beforeRename();
    if (code == 0 && ::rename(tmp.constData(), targetName.constData()) != 0)
        code = errno;
    if (code != 0) {
        ::unlink(tmp.constData());
        fail(QStringLiteral("writing failed"), code);
    }
    const int dirFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);  // make the rename itself durable
        ::close(dirFd);
    }
}

int removeStaleTemporaryFiles(const QString& folder, std::chrono::seconds olderThan)
{
    const std::time_t limit = std::time(nullptr) - static_cast<std::time_t>(olderThan.count());
    const QDir dir(folder);
    int removed = 0;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QString path = dir.filePath(name);
        if (isTemporaryFileName(name)) {
            removed += removeIfStale(path, limit) ? 1 : 0;
            continue;
        }
        // A configuration file that is a link is written beside its target: look there only for
        // the temporary files of that one target.
        const LinkTarget link = followLinks(path);
        if (!link.linked || link.circular)
            continue;
        const QFileInfo target(link.path);
        const QDir targetDir(target.absolutePath());
        if (targetDir.canonicalPath() == dir.canonicalPath())
            continue;
        const QString prefix = QLatin1Char('.') + target.fileName() + kTempMark;
        for (const QString& candidate : targetDir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            if (candidate.startsWith(prefix) && candidate.size() == prefix.size() + 6 && isTemporaryFileName(candidate))
                removed += removeIfStale(targetDir.filePath(candidate), limit) ? 1 : 0;
        }
    }
    return removed;
}

namespace testing {

void setBeforeRenameHook(void (*hook)())
{
    beforeRename = hook;
}

} // namespace testing

} // namespace platform
