// Runs files (or every file of folders) through LLVMFuzzerTestOneInput once each, for
// compilers without libFuzzer. Prints each name before it runs, so a crash names its input.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

static void RunFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "%s", path.c_str());
    auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.data()), data.size());
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    std::fprintf(stderr, " %lld ms\n", static_cast<long long>(ms));
}

int main(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        struct stat st{};
        if (stat(argv[i], &st) != 0)
            continue;
        if (!S_ISDIR(st.st_mode)) {
            RunFile(argv[i]);
            continue;
        }
        std::vector<std::string> files;
        if (DIR *d = opendir(argv[i])) {
            while (dirent *e = readdir(d))
                if (e->d_name[0] != '.')
                    files.push_back(std::string(argv[i]) + "/" + e->d_name);
            closedir(d);
        }
        for (const std::string &f : files)
            RunFile(f);
    }
    std::fprintf(stderr, "done\n");
    return 0;
}
