#include "kumo/support/normalize_path.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "kumo/platform/files.h"
#include "kumo/support/strings.h"

namespace kumo {

namespace {

constexpr size_t kCurrentDirSize = 260;

bool IsSeparator(char byte) { return byte == '\\' || byte == '/'; }

bool StartsWithDrive(const char* text) {
  const char letter = text[0];
  return ((letter >= 'a' && letter <= 'z') || (letter >= 'A' && letter <= 'Z')) && text[1] == ':';
}

// Upper-cases ASCII letters, leaving double-byte characters as they are.
std::string Upper(const char* text, size_t length) {
  std::string out(text, length);
  TextUpper(out.data());
  return out;
}

// The end of the component that starts at `at`: the next separator outside a double-byte
// character, or the terminator.
const char* ComponentEnd(const char* at) {
  while (*at != '\0' && !IsSeparator(*at)) {
    at += IsLeadByte(static_cast<unsigned char>(*at)) && at[1] != '\0' ? 2 : 1;
  }
  return at;
}

// The normal form being built: a prefix that ".." never removes, then "\" and a component for
// each component kept.
class NormalForm {
 public:
  explicit NormalForm(std::string prefix) : text_(std::move(prefix)) {}

  // Adds the components of `path`: "." is skipped and ".." removes the last one.
  void Add(const char* path) {
    for (const char* at = path;;) {
      const char* end = ComponentEnd(at);
      const std::string component = Upper(at, static_cast<size_t>(end - at));
      if (component == "..") {
        if (!starts_.empty()) {
          text_.resize(starts_.back());
          starts_.pop_back();
        }
      } else if (component != ".") {
        starts_.push_back(text_.size());
        text_ += '\\';
        text_ += component;
      }
      if (*end == '\0') return;
      at = end + 1;
    }
  }

  const std::string& Text() const { return text_; }

 private:
  std::string text_;
  std::vector<size_t> starts_;  // where each kept component's separator stands
};

}  // namespace

int NormalizePath(const char* path, char* out, size_t outSize) {
  char current[kCurrentDirSize];
  if (platform::GetCurrentDir(current, sizeof current) == 0) return -1;
  const std::string currentDrive = StartsWithDrive(current) ? Upper(current, 2) : "";

  std::string normal;
  if (IsSeparator(path[0]) && IsSeparator(path[1])) {
    // A network path: its first component follows "\\".
    NormalForm form("\\");
    form.Add(path + 2);
    normal = form.Text();
  } else if (IsSeparator(path[0])) {
    // Rooted: on the current directory's drive where it has one, at the root where there are
    // no drives.
    NormalForm form(currentDrive);
    form.Add(path + 1);
    normal = form.Text();
  } else if (StartsWithDrive(path)) {
    NormalForm form(Upper(path, 2));
    form.Add(path[2] == '\\' ? path + 3 : path + 2);
    normal = form.Text();
  } else {
    // Relative: from the current directory, whose own components ".." may remove.
    NormalForm form(currentDrive);
    const char* directory = current + currentDrive.size();
    while (IsSeparator(*directory)) ++directory;
    if (*directory != '\0') form.Add(directory);
    form.Add(path);
    normal = form.Text();
  }

  if (normal.size() + 1 > outSize) return -1;
  std::memcpy(out, normal.c_str(), normal.size() + 1);
  return 0;
}

}  // namespace kumo
