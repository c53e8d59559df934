#include "platform/xbase/file_swap.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace qb::xbase {

namespace {

std::string staged(const std::string& target) { return target + ".qbnew"; }
std::string listPath(const std::string& table) { return table + ".qbswap"; }

std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string beside(const std::string& table, const std::string& name)
{
    const std::string folder = folderOf(table);
    return folder == "." && table.find('/') == std::string::npos ? name : folder + "/" + name;
}

// The names of a complete list; empty when there is none or it was cut short.
std::vector<std::string> readList(const std::string& table)
{
    std::ifstream in(listPath(table), std::ios::binary);
    std::vector<std::string> names;
    for (std::string line; std::getline(in, line);) {
        if (line == "end")
            return names;
        if (line.empty() || line.find('/') != std::string::npos || line == "." || line == "..")
            return {};
        names.push_back(line);
    }
    return {};
}

} // namespace

void FileSwap::add(File& file, const std::string& target) { entries_.push_back({&file, target}); }

void FileSwap::stage(Entry& e)
{
    e.file->sync();
    e.file->link(staged(e.target));
}

void FileSwap::commit()
{
    if (entries_.empty())
        return;
    const std::string folder = folderOf(table_);
    for (Entry& e : entries_)
        stage(e);
    syncFolder(folder);
    if (entries_.size() == 1) {
        // One file needs no list: its rename is the commit.
        Entry& e = entries_.front();
        renameFile(staged(e.target), e.target);
        committed_ = true;
        e.file->setPath(e.target);
        syncFolder(folder);
        return;
    }
    std::string list;
    for (const Entry& e : entries_)
        list += nameOf(e.target) + "\n";
    list += "end\n";
    {
        File out(listPath(table_), File::Mode::Create);
        out.truncate(0);
        out.writeAt(0, list.data(), list.size());
        out.sync();
    }
    syncFolder(folder);
    // From here the new files are the table: they answer to the targets'
    // names whatever becomes of the renames, which the next open finishes
    // should one of them fail now.
    committed_ = true;
    for (Entry& e : entries_)
        e.file->setPath(e.target);
    for (Entry& e : entries_)
        renameFile(staged(e.target), e.target);
    syncFolder(folder);
    removeList(folder);
}

// The list goes only once the renames it names are on the disk, and its
// removal reaches the disk before a later swap stages new files: a power cut
// must never find this complete list beside part of another set.
void FileSwap::removeList(const std::string& folder)
{
    if (::unlink(listPath(table_).c_str()) != 0 && errno != ENOENT)
        throw XbaseError(listPath(table_), "cannot remove the list of new files: " + std::string(std::strerror(errno)));
    syncFolder(folder);
}

bool FileSwap::pending(const std::string& tablePath) { return fileExists(listPath(tablePath)); }

void FileSwap::recover(const std::string& tablePath, const std::vector<std::string>& files)
{
    const std::vector<std::string> names = readList(tablePath);
    if (!names.empty()) {
        for (const std::string& name : names) {
            const std::string target = beside(tablePath, name);
            if (fileExists(staged(target)))
                renameFile(staged(target), target);
        }
        syncFolder(folderOf(tablePath));
    } else {
        for (const std::string& f : files)
            ::unlink(staged(f).c_str());
    }
    if (::unlink(listPath(tablePath).c_str()) == 0)
        syncFolder(folderOf(tablePath));
}

} // namespace qb::xbase
