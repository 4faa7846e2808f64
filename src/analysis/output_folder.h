#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace sonvale::analysis {

// A folder the analysis writes into, and nothing outside it: files are named by plain
// names, a link found under a file's name is replaced rather than followed, and a
// subfolder is used only when it is a real folder.
class OutputFolder {
 public:
  // The folder at `path`, made when it does not exist (its parent must); nothing,
  // with the reason in `error`, when a file cannot be written in it.
  static std::optional<OutputFolder> open(const std::string& path, std::string& error);

  // A folder directly inside this one, made when missing.
  std::optional<OutputFolder> subfolder(const std::string& name, std::string& error) const;

  // Writes `bytes` as file `name`, replacing whatever had that name. False, with the
  // reason in `error`, when it cannot.
  bool write(const std::string& name, std::string_view bytes, std::string& error) const;

  // Removes file `name` if there is one, so that another program can make it anew.
  void remove(const std::string& name) const;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  explicit OutputFolder(std::string path) : path_(std::move(path)) {}
  std::string path_;
};

}  // namespace sonvale::analysis
