#pragma once
// Paths as the program keeps them: built with '/', accepting the '\' of paths
// written on Windows, and matching existing files and folders in any letter
// case, as Windows did. New files keep the spelling they are given.

#include <QString>

namespace qb {

// path with '\' turned into '/' and every existing component spelled as on disk.
QString resolvePath(const QString& path);

// The folder every fixed path is built from, ending in '/'.
class ProgramFolder {
public:
    static QString path();
    static void setPath(const QString& folder);
    // The folder that holds the shipped sysdata and help: the executable's own
    // folder when the program runs in place, else the installed data folder
    // beside an installed executable (share/quillbase next to bin), so an
    // installed tree can be moved as a whole. The executable's folder when
    // neither holds sysdata.
    static QString shipped(const QString& executableFolder);
    // The executable's folder when it holds sysdata and is writable; otherwise
    // a per-user folder of the same layout, filled once from the shipped sysdata.
    static QString choose(const QString& executableFolder, const QString& perUserFolder);
    static QString choose(const QString& executableFolder, const QString& perUserFolder, bool executableWritable);
    // path() + relative, resolved.
    static QString file(const QString& relative);
};

} // namespace qb
