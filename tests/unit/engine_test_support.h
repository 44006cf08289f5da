// Support for the engine's unit tests: a guard that restores every engine setting and
// working global a test may change, and a small image at either channel width.
#pragma once

#include <stdint.h>

#include <vector>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"
#include "engine/zbuffer.h"

// Saves the engine's globals on construction and puts them back on destruction, so tests
// can set whatever they need without leaking state into other tests.
class EngineGlobalsGuard {
 public:
  EngineGlobalsGuard()
      : draw_mode_(_DrawMode), deep_(_Deep), quality_(_Quality), duble_side_(_DubleSide),
        back_(_DrawBackFaces), back1_(_DrawBackFaces1), multy_(_UseMultyRefract),
        phong2_(_UsePhong2), glass_(_UseGlass), reflection_(_UseReflection),
        persp_(_UsePersp), custom_(_UseCustomMats), wire_(_WireSize), pval_(_Persp_Val),
        px_(_Persp_x), py_(_Persp_y), pfar_(_Persp_Far), zbuff_(ZBuff), zw_(Zwidth),
        zh_(Zheight), max_channel_(_MaxChannel), row_stride_(_RowStride), light_(LightDef),
        shader_(RenderOnePixel) {}
  ~EngineGlobalsGuard() {
    _DrawMode = draw_mode_;
    _Deep = deep_;
    _Quality = quality_;
    _DubleSide = duble_side_;
    _DrawBackFaces = back_;
    _DrawBackFaces1 = back1_;
    _UseMultyRefract = multy_;
    _UsePhong2 = phong2_;
    _UseGlass = glass_;
    _UseReflection = reflection_;
    _UsePersp = persp_;
    _UseCustomMats = custom_;
    _WireSize = wire_;
    _Persp_Val = pval_;
    _Persp_x = px_;
    _Persp_y = py_;
    _Persp_Far = pfar_;
    __SetZBuff(zbuff_, zw_, zh_);
    Zwidth = zw_;
    Zheight = zh_;
    _MaxChannel = max_channel_;
    _RowStride = row_stride_;
    LightDef = light_;
    RenderOnePixel = shader_;
  }
  EngineGlobalsGuard(const EngineGlobalsGuard&) = delete;
  EngineGlobalsGuard& operator=(const EngineGlobalsGuard&) = delete;

 private:
  unsigned char draw_mode_, deep_, quality_, duble_side_, back_, back1_, multy_, phong2_,
      glass_, reflection_, persp_, custom_;
  float wire_, pval_, px_, py_, pfar_;
  float* zbuff_;
  int32_t zw_, zh_, max_channel_, row_stride_;
  light3ds* light_;
  __RenderOnePixelProc shader_;
};

// A packed 4-channel image at the given channel width, installed as the current render
// (its size in Zwidth x Zheight, its stride in _RowStride, _MaxChannel and _Deep to
// match) with no z-buffer.
class TestImage {
 public:
  TestImage(int width, int height, bool deep)
      : width_(width), height_(height), deep_(deep),
        words_(static_cast<size_t>(width) * height * 4, 0) {
    __SetZBuff(nullptr, 0, 0);
    _Deep = deep ? 1 : 0;
    _MaxChannel = deep ? 32768 : 255;
    _RowStride = width * 4;
    Zwidth = width;
    Zheight = height;
  }

  unsigned char* data() { return reinterpret_cast<unsigned char*>(words_.data()); }
  // The image as the pixel writes take it: laid out as the output.
  FrameImage image() { return OutputImage(data()); }
  int max() const { return deep_ ? 32768 : 255; }

  int at(int x, int y, int k) const {
    size_t i = (static_cast<size_t>(y) * width_ + x) * 4 + k;
    if (deep_) return words_[i];
    return reinterpret_cast<const unsigned char*>(words_.data())[i];
  }
  void set(int x, int y, int k, int value) {
    size_t i = (static_cast<size_t>(y) * width_ + x) * 4 + k;
    if (deep_) {
      words_[i] = static_cast<uint16_t>(value);
    } else {
      reinterpret_cast<unsigned char*>(words_.data())[i] = static_cast<unsigned char>(value);
    }
  }
  void set_pixel(int x, int y, int c0, int c1, int c2, int a) {
    set(x, y, 0, c0);
    set(x, y, 1, c1);
    set(x, y, 2, c2);
    set(x, y, 3, a);
  }
  // Number of pixels with a non-zero alpha.
  int covered() const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += at(x, y, 3) != 0;
    return n;
  }

 private:
  int width_, height_;
  bool deep_;
  std::vector<uint16_t> words_;  // 8-bit images use the first half of these bytes
};
