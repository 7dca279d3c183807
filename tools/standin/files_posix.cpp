// The stand-in's file access on Linux (POSIX).
#include "standin.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace standin {

namespace {

std::string reason(int error)
{
    std::string text = std::strerror(error);
    if (!text.empty())
        text[0] = char(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

class PosixFiles : public Files {
public:
    std::optional<std::vector<Entry>> list(const std::string &folder) const override
    {
        DIR *dir = opendir(folder.c_str());
        if (!dir)
            return std::nullopt;
        std::vector<Entry> entries;
        while (const dirent *d = readdir(dir)) {
            const std::string name = d->d_name;
            struct stat st;
            if (name != "." && name != ".." && stat((folder + "/" + name).c_str(), &st) == 0)
                entries.push_back({name, S_ISDIR(st.st_mode)});
        }
        closedir(dir);
        return entries;
    }

    Head head(const std::string &path, std::size_t count) const override
    {
        Head head;
        struct stat st;
        if (stat(path.c_str(), &st) != 0)
            return head;
        head.exists = true;
        head.folder = S_ISDIR(st.st_mode);
        if (head.folder)
            return head;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || fstat(fd, &st) != 0) {
            head.error = reason(errno);
        } else {
            head.size = std::uint64_t(st.st_size);
            head.bytes.resize(count);
            const ssize_t got = read(fd, head.bytes.data(), count);
            if (got < 0)
                head.error = reason(errno);
            head.bytes.resize(got < 0 ? 0 : std::size_t(got));
        }
        if (fd >= 0)
            close(fd);
        return head;
    }

    std::string identity(const std::string &path) const override
    {
        struct stat st;
        if (path.empty() || stat(path.c_str(), &st) != 0)
            return {};
        return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
    }

    void makeFolders(const std::string &path) const override
    {
        for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
            mkdir(path.substr(0, slash).c_str(), 0777);
            if (slash == std::string::npos)
                return;
        }
    }
};

} // namespace

const Files &systemFiles()
{
    static const PosixFiles files;
    return files;
}

} // namespace standin
