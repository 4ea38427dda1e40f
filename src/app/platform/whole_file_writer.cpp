// QSaveFile in unbuffered mode, an explicit flush and a size check; renameat2 without replacing.
#include "app/platform/whole_file_writer.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace morvalen::app {
namespace {

constexpr int largest_name_attempt = 1000;

QString with_number(const QString& name, int number) {
    if (number == 1) return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? name.left(dot) : name;
    const QString extension = dot > 0 ? name.mid(dot) : QString();
    return QStringLiteral("%1 (%2)%3").arg(stem).arg(number).arg(extension);
}

// Writes, flushes and checks the size; the caller commits or discards.
bool fill(QFileDevice& file, std::string_view bytes, QString& error) {
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size || !file.flush() || file.size() != size ||
        file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return false;
    }
    return true;
}

// link() refuses an existing name of any kind and never follows the new name; renameat2 with
// RENAME_NOREPLACE does the same on file systems without hard links.
bool place_without_replacing(const QByteArray& from, const QByteArray& to, int& failure) {
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return true;
    }
    failure = errno;
    if (failure != EPERM && failure != EOPNOTSUPP && failure != EXDEV) return false;
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return true;
    failure = errno;
    return false;
}

void keep_copy(const QString& path, const QString& keep_previous) {
    if (keep_previous.isEmpty() || !QFileInfo(path).isFile()) return;
    QFile::remove(keep_previous);
    if (::link(QFile::encodeName(path).constData(), QFile::encodeName(keep_previous).constData()) != 0)
        QFile::copy(path, keep_previous);
}

}  // namespace

FileWrite write_whole_file(const QString& path, std::string_view bytes, const QString& keep_previous) {
    FileWrite result;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        result.error = QStringLiteral("не удалось создать файл: ") + file.errorString();
        return result;
    }
    if (!fill(file, bytes, result.error)) {
        file.cancelWriting();
        result.error = QStringLiteral("не удалось записать файл (нет места на диске?): ") + result.error;
        return result;
    }
    keep_copy(path, keep_previous);
    if (!file.commit()) {
        result.error = QStringLiteral("не удалось заменить файл: ") + file.errorString();
        return result;
    }
    result.ok = true;
    return result;
}

NewFile write_new_file(const QString& folder, const QString& name, std::string_view bytes) {
    NewFile result;
    if (!QDir().mkpath(folder)) {
        result.error = QStringLiteral("папка не создаётся");
        return result;
    }
    QTemporaryFile temporary(QDir(folder).filePath(QStringLiteral(".%1.XXXXXX").arg(name)));
    if (!temporary.open()) {
        result.error = temporary.errorString();
        return result;
    }
    if (!fill(temporary, bytes, result.error) || ::fsync(temporary.handle()) != 0) {
        if (result.error.isEmpty()) result.error = QString::fromLocal8Bit(std::strerror(errno));
        return result;
    }
    const QByteArray from = QFile::encodeName(temporary.fileName());
    for (int number = 1; number <= largest_name_attempt; ++number) {
        const QString candidate = QDir(folder).filePath(with_number(name, number));
        int failure = 0;
        if (place_without_replacing(from, QFile::encodeName(candidate), failure)) {
            temporary.setAutoRemove(false);
            result.path = candidate;
            return result;
        }
        if (failure != EEXIST) {
            result.error = QString::fromLocal8Bit(std::strerror(failure));
            return result;
        }
    }
    result.error = QStringLiteral("все имена файла заняты");
    return result;
}

}  // namespace morvalen::app
