// The floor morvel is measured against: the least a program can do to run
// one converter per *.ps file of a directory, one at a time. It lists the
// directory, and for each file starts ./gs with morvel's arguments through
// vfork and execve, and waits for it. No output, no checks.
//   spawn_loop <gs dir> <ps dir>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 3 || chdir(argv[1]) != 0) {
        std::fprintf(stderr, "usage: spawn_loop <gs dir> <ps dir>\n");
        return 1;
    }
    const std::string dir = argv[2];
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr) {
        return 1;
    }
    int failed = 0;
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() < 4 || name.compare(name.size() - 3, 3, ".ps") != 0) {
            continue;
        }
        const std::string ps = dir + "/" + name;
        const std::string jpg = dir + "/" + name.substr(0, name.size() - 3) + ".jpg";
        std::vector<const char*> args = {"gs",        "-sDEVICE=jpeg", "-r120*120", "-o",
                                         jpg.c_str(), ps.c_str(),      nullptr};
        pid_t pid = vfork();
        if (pid == 0) {
            execve("./gs", const_cast<char**>(args.data()), environ);
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || status != 0) {
            failed = 1;
        }
    }
    closedir(listing);
    return failed;
}
