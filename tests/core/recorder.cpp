// Records its own start: program path, arguments, working directory and the
// number of descriptors it was given, one per line, into the file named by
// PLAYDECK_RECORD (written whole, then renamed
// into place so that a reader never sees half a record).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* target = std::getenv("PLAYDECK_RECORD");
    if (!target)
        return 2;
    const std::string temp = std::string(target) + ".part" + std::to_string(getpid());
    {
        std::ofstream out(temp, std::ios::binary);
        out << "argc=" << argc << '\n';
        for (int i = 0; i < argc; ++i)
            out << argv[i] << '\n';
        out << std::filesystem::current_path().string() << '\n';
        int fds = -2;  // the file written, the directory read
        for ([[maybe_unused]] const auto& fd : std::filesystem::directory_iterator("/proc/self/fd"))
            ++fds;
        out << "fds=" << fds << '\n';
    }
    std::filesystem::rename(temp, std::string(target) + "." + std::to_string(getpid()));
    return 0;
}
