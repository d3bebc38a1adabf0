#pragma once
// The folder the record lives in, held open for the whole run. It is opened
// once, checked to be the user's own, and every read, save, kept copy and
// trial write goes through the handle: a folder renamed while the program
// runs, and a link put in its place, redirect nothing. Any other file that
// lives beside the record (an append-only journal, say) takes the same
// handle and so the same safety.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "records/record_file.h"

namespace kemless {

class DataFolder {
public:
    enum class Create { No, Yes };
    // Own: the folder is the user's, and nobody else may write in it unless
    // it is sticky (others cannot then rename or remove what is ours; what
    // they put there is refused file by file, see CheckOwnFile).
    // OwnStrict: no one else may write in it at all (what is adopted from a
    // folder the user did not choose).
    enum class Trust { Own, OwnStrict };

    DataFolder() = default;

    // Opens the folder at `path`; with Create::Yes the folder and the
    // folders above it are made when missing, private (0700). The user's own links at the
    // folder's name are followed, hop by hop; one another user made is not.
    // The folder is then opened with O_DIRECTORY|O_NOFOLLOW and must be the
    // user's, by `trust`. On failure nothing is held and `why` says why,
    // naming the folder.
    static DataFolder Open(const std::string& path, Create create, Trust trust, FileOutcome& why);

    bool held() const { return fd_.valid(); }
    int fd() const { return fd_.get(); }
    // The path it was opened by, for messages.
    const std::string& path() const { return path_; }
    // False once the folder was removed while held.
    bool stillThere() const;

    ReadOutcome read(const std::string& name) const { return ReadRecordFileAt(fd(), path_, name); }
    FileOutcome replace(const std::string& name, std::string_view bytes) const {
        return WriteFileAtomicallyAt(fd(), path_, name, bytes);
    }
    FileOutcome keepCopy(const std::string& name, const std::string& suffix, std::string& kept) const {
        return KeepCopyAt(fd(), path_, name, suffix, kept);
    }
    FileOutcome trialWrite(const std::string& name, size_t size,
                           std::vector<std::pair<dev_t, ino_t>>& tried) const {
        return TrialWriteFor(fd(), path_, name, size, tried);
    }

private:
    DataFolder(Descriptor fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

    Descriptor fd_;
    std::string path_;
};

}  // namespace kemless
