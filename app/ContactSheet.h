// A contact sheet: chosen frames of a render, source and result side by side, one row each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantiro {

class ContactSheet {
 public:
  // Frames are given by their number within the render.
  ContactSheet(int frameWidth, int frameHeight, std::vector<int64_t> frames);
  void Add(int64_t n, const uint8_t* source, const uint8_t* rendered, long rowBytes);
  bool Write(const std::string& path, std::string* error) const;

 private:
  void Place(const uint8_t* picture, long rowBytes, int column, int row);
  int frameWidth_, frameHeight_, cellWidth_, cellHeight_, width_, height_;
  std::vector<int64_t> frames_;
  std::vector<uint8_t> sheet_;
};

}  // namespace vantiro
