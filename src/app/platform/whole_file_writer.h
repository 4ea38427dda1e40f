// Writing a file whole or not at all: the bytes are flushed and the file's size checked before the
// new file takes the old one's place, since a save can report success after a failed buffered write.
#pragma once

#include <optional>
#include <string_view>

#include <QString>

namespace morvalen::app {

struct FileWrite {
    bool ok = false;
    QString error;  // why not, in Russian; empty when ok
};

// Replaces path with exactly bytes, or leaves whatever was there. keep_previous names a file that
// receives the previous content (a hard link, else a copy) just before the replacement.
FileWrite write_whole_file(const QString& path, std::string_view bytes, const QString& keep_previous = {});

struct NewFile {
    QString path;   // where the bytes are, when written
    QString error;  // why nothing was written, in Russian
};

// A new file in folder named name, or "stem (2).ext", "stem (3).ext" ... when that name is taken by
// anything, a dangling link included. Nothing existing is followed or replaced: the bytes go to a
// fresh temporary file first, which is then linked under the free name without replacing.
NewFile write_new_file(const QString& folder, const QString& name, std::string_view bytes);

}  // namespace morvalen::app
