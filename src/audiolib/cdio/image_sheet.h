#pragma once

#include <memory>
#include <string>
#include <vector>

namespace sonvale::audiolib::cdio {

// A disc image's sheet made ready for libcdio. libcdio reads a CUE sheet's audio
// from the file named like the sheet with ".bin", whatever its FILE line says, and
// opens a TOC's files relative to the working folder; so the sheet is copied into a
// folder of its own, beside a link named after the copy that leads to the sheet's
// own data file (CUE), or with every file name made absolute (TOC). The folder goes
// with the object.
class ImageSheet {
 public:
  enum class Kind { Cue, Toc };

  // Null when `path` is not a sheet libcdio can read audio through: not a text of
  // that kind, a CUE sheet without exactly one FILE of type BINARY, or a data file
  // that is missing.
  static std::unique_ptr<ImageSheet> prepare(const std::string& path);
  ~ImageSheet();
  ImageSheet(const ImageSheet&) = delete;
  ImageSheet& operator=(const ImageSheet&) = delete;

  Kind kind() const { return kind_; }
  // The copy to hand to libcdio.
  const std::string& sheet() const { return sheet_; }
  // The files the sheet reads its audio from.
  const std::vector<std::string>& data_files() const { return data_files_; }

 private:
  ImageSheet(Kind kind, std::string folder) : kind_(kind), folder_(std::move(folder)) {}
  bool write(const std::string& name, const std::string& text);
  bool link(const std::string& name, const std::string& target);

  Kind kind_;
  std::string folder_;
  std::string sheet_;
  std::string link_;
  std::vector<std::string> data_files_;
};

// Whether a name ends like a disc image's sheet: ".cue" or ".toc", any case.
bool has_sheet_name(const std::string& path);

}  // namespace sonvale::audiolib::cdio
