// Fills a folder with a deterministic benchmark tree: top-level folders of
// varying depth and breadth plus top-level files, small or sparse, so a few
// hundred thousand entries take little disk. The same arguments always give the
// same names, sizes and times. With --flat it makes COUNT empty files directly
// in FOLDER instead, as in a camera dump or a download folder.
//
//   morvick-make-tree FOLDER [ENTRIES] [TOP_LEVEL_FILES]
//   morvick-make-tree --flat FOLDER COUNT

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

std::mt19937_64 random_numbers(20261208);
long long made = 0;

void Fail(const std::string& what) {
  std::fprintf(stderr, "morvick-make-tree: %s: %s\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

// Sizes: most files small, a few large but sparse (holes take no disk).
std::int64_t NextSize() {
  const std::uint64_t roll = random_numbers() % 1000;
  if (roll < 700) return static_cast<std::int64_t>(random_numbers() % 4096);
  if (roll < 990) return static_cast<std::int64_t>(random_numbers() % (1 << 20));
  return static_cast<std::int64_t>(random_numbers() % (std::int64_t{4} << 30));
}

void MakeFile(const std::string& path, bool empty = false) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) Fail(path);
  if (!empty && ::ftruncate(fd, NextSize()) != 0) Fail(path);
  ::close(fd);
  const timespec times[2] = {
      {1'600'000'000 + static_cast<time_t>(random_numbers() % 200'000'000), 0},
      {1'600'000'000 + static_cast<time_t>(random_numbers() % 200'000'000), 0}};
  ::utimensat(AT_FDCWD, path.c_str(), times, 0);
  ++made;
}

void MakeFolder(const std::string& path, int depth, long long budget) {
  if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail(path);
  ++made;
  long long left = budget - 1;
  int index = 0;
  while (left > 0) {
    const std::string child = path + "/item-" + std::to_string(index++);
    if (depth < 6 && left > 20 && random_numbers() % 4 == 0) {
      const long long share =
          1 + static_cast<long long>(random_numbers() % static_cast<std::uint64_t>(left / 2));
      MakeFolder(child, depth + 1, share);
      left -= share;
    } else {
      MakeFile(child + (index % 3 ? ".dat" : ".txt"));
      --left;
    }
  }
}

// COUNT empty files named like a camera's, with three extensions and spread times.
int MakeFlatFolder(const std::string& root, long long count) {
  if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) Fail(root);
  static const char* const kExtensions[] = {".JPG", ".MOV", ".xmp"};
  char name[32];
  for (long long i = 0; i < count; ++i) {
    std::snprintf(name, sizeof name, "/IMG_%07lld%s", i, kExtensions[i % 3]);
    MakeFile(root + name, true);
  }
  std::printf("%lld empty files in %s\n", made, root.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--flat") == 0) {
    return MakeFlatFolder(argv[2], std::atoll(argv[3]));
  }
  if (argc < 2 || argv[1][0] == '-') {
    std::fprintf(stderr,
                 "usage: morvick-make-tree FOLDER [ENTRIES=300000] [TOP_LEVEL_FILES=500]\n"
                 "       morvick-make-tree --flat FOLDER COUNT\n");
    return 2;
  }
  const std::string root = argv[1];
  const long long entries = argc > 2 ? std::atoll(argv[2]) : 300'000;
  const long long top_files = argc > 3 ? std::atoll(argv[3]) : 500;
  if (::mkdir(root.c_str(), 0755) != 0 && errno != EEXIST) Fail(root);
  for (long long i = 0; i < top_files && made < entries; ++i) {
    MakeFile(root + "/file-" + std::to_string(i) + (i % 2 ? ".bin" : ".jpg"));
  }
  int folder = 0;
  while (made < entries) {
    const long long left = entries - made;
    const long long budget =
        std::min<long long>(left, 1 + static_cast<long long>(random_numbers() % 600));
    MakeFolder(root + "/folder-" + std::to_string(folder++), 0, budget);
  }
  std::printf("%lld entries in %s (%d top-level folders, %lld top-level files)\n", made,
              root.c_str(), folder, top_files);
  return 0;
}
