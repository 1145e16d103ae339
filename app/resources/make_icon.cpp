// Draws the installer's icon and writes it as a Windows icon file: the emblem of the
// installer's window (three discs of data on a deep blue plate, a yellow spark) at 16,
// 32 and 48 pixels, each image 32-bit with its alpha and the mask older Windows reads.
// It runs on the build machine while the Windows programs are built.
//
//   make_icon OUTPUT.ico
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

struct Colour {
  double R, G, B, A;
};

// One sample of the picture at (x, y) in a 48-unit square; transparent outside the plate.
Colour Sample(double x, double y) {
  Colour c{0, 0, 0, 0};
  const auto over = [&c](Colour top) {
    const double a = top.A + c.A * (1 - top.A);
    if (a <= 0) return;
    c = {(top.R * top.A + c.R * c.A * (1 - top.A)) / a,
         (top.G * top.A + c.G * c.A * (1 - top.A)) / a,
         (top.B * top.A + c.B * c.A * (1 - top.A)) / a, a};
  };
  // The plate, with rounded corners, and its lighter band.
  const double corner = 6;
  const double dx = std::max({corner - x, x - (48 - corner), 0.0});
  const double dy = std::max({corner - y, y - (48 - corner), 0.0});
  if (dx * dx + dy * dy > corner * corner) return c;
  over(y < 34 ? Colour{0, 48, 120, 1} : Colour{0, 96, 160, 1});
  // Three discs, the lowest first: each an ellipse on a short cylinder.
  const auto inEllipse = [](double px, double py, double cx, double cy, double rx, double ry) {
    const double u = (px - cx) / rx, v = (py - cy) / ry;
    return u * u + v * v <= 1;
  };
  for (int i = 0; i < 3; ++i) {
    const double left = 5, width = 26, top = 26 - i * 9.5, height = 14, lid = height / 3;
    const double cx = left + width / 2, rx = width / 2, ry = lid / 2;
    const Colour edge{0, 0, 64, 1};
    const Colour side{0, 140.0 + i * 30, 140.0 + i * 30, 1};
    const Colour face{180.0 + i * 20, 255, 255, 1};
    const bool body = (x >= left && x <= left + width && y >= top + ry && y <= top + height - ry) ||
                      inEllipse(x, y, cx, top + height - ry, rx, ry);
    const bool bodyInner =
        (x >= left + 1 && x <= left + width - 1 && y >= top + ry && y <= top + height - ry) ||
        inEllipse(x, y, cx, top + height - ry, rx - 1, ry - 1);
    if (body) over(bodyInner ? side : edge);
    if (inEllipse(x, y, cx, top + ry, rx, ry))
      over(inEllipse(x, y, cx, top + ry, rx - 1, ry - 0.8) ? face : edge);
  }
  // The spark: a five-pointed star, point-in-polygon by crossings.
  constexpr std::array<std::array<double, 2>, 10> kStar = {{{37, 3},
                                                            {39.4, 10.2},
                                                            {46.6, 11.4},
                                                            {40.6, 15.6},
                                                            {43, 23.4},
                                                            {37, 18.6},
                                                            {31, 23.4},
                                                            {33.4, 15.6},
                                                            {27.4, 11.4},
                                                            {34.6, 10.2}}};
  bool inside = false;
  for (std::size_t i = 0, j = kStar.size() - 1; i < kStar.size(); j = i++) {
    const auto& a = kStar[i];
    const auto& b = kStar[j];
    if ((a[1] > y) != (b[1] > y) && x < (b[0] - a[0]) * (y - a[1]) / (b[1] - a[1]) + a[0])
      inside = !inside;
  }
  if (inside) over({255, 220, 0, 1});
  return c;
}

void Put16(std::vector<uint8_t>& out, unsigned v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

// One icon image: a BITMAPINFOHEADER of twice the height, the colour rows bottom-up in
// BGRA, then the mask rows (1 = transparent), each padded to 32 bits.
std::vector<uint8_t> Image(int size) {
  constexpr int kSamples = 4;  // per pixel and axis
  std::vector<uint8_t> out;
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(size));
  Put32(out, static_cast<uint32_t>(size * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  std::vector<uint8_t> mask;
  const int maskStride = ((size + 31) / 32) * 4;
  mask.assign(static_cast<std::size_t>(maskStride * size), 0);
  for (int row = size - 1; row >= 0; --row) {
    for (int col = 0; col < size; ++col) {
      double r = 0, g = 0, b = 0, a = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          const double scale = 48.0 / size;
          const Colour c =
              Sample((col + (sx + 0.5) / kSamples) * scale, (row + (sy + 0.5) / kSamples) * scale);
          r += c.R * c.A;
          g += c.G * c.A;
          b += c.B * c.A;
          a += c.A;
        }
      const double n = kSamples * kSamples;
      const auto channel = [a](double sum) {
        return static_cast<uint8_t>(a > 0 ? std::lround(sum / a) : 0);
      };
      out.push_back(channel(b));
      out.push_back(channel(g));
      out.push_back(channel(r));
      const auto alpha = static_cast<uint8_t>(std::lround(a / n * 255));
      out.push_back(alpha);
      if (alpha < 128) {
        const int maskRow = size - 1 - row;  // bottom-up like the colour rows
        mask[static_cast<std::size_t>(maskRow * maskStride + col / 8)] |=
            static_cast<uint8_t>(0x80 >> (col % 8));
      }
    }
  }
  out.insert(out.end(), mask.begin(), mask.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
    return 2;
  }
  constexpr std::array<int, 3> kSizes = {16, 32, 48};
  std::vector<std::vector<uint8_t>> images;
  for (const int size : kSizes) images.push_back(Image(size));
  std::vector<uint8_t> file;
  Put16(file, 0);  // reserved
  Put16(file, 1);  // an icon
  Put16(file, static_cast<unsigned>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<uint8_t>(kSizes[i]));
    file.push_back(static_cast<uint8_t>(kSizes[i]));
    file.push_back(0);  // no palette
    file.push_back(0);
    Put16(file, 1);   // planes
    Put16(file, 32);  // bits per pixel
    Put32(file, static_cast<uint32_t>(images[i].size()));
    Put32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) file.insert(file.end(), image.begin(), image.end());
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out)) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
