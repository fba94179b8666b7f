// Writes a photo-like test picture as a binary PPM: a lake at sunset with
// layered mountains, a low sun and its broken reflection on the water.
// Fine texture (value noise over several octaves, from a fixed seed) gives
// the JPEG coder something real to compress. Usage: photo_gen OUT.ppm
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int Width = 400;
constexpr int Height = 260;
constexpr int Horizon = 168;  // the water line, in rows from the top

struct Color {
  double r, g, b;
};

Color Mix(Color a, Color b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

// Smooth value noise on a 64 x 64 lattice that wraps.
struct Noise {
  double lattice[64][64];
  explicit Noise(uint32_t seed) {
    for (auto& row : lattice) {
      for (double& v : row) {
        seed = seed * 1664525u + 1013904223u;  // a fixed LCG: the same picture every build
        v = static_cast<double>(seed >> 8) / static_cast<double>(1u << 24);
      }
    }
  }
  double at(double x, double y) const {
    const int xi = static_cast<int>(std::floor(x));
    const int yi = static_cast<int>(std::floor(y));
    double fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto v = [&](int i, int j) { return lattice[(yi + j) & 63][(xi + i) & 63]; };
    const double top = v(0, 0) + (v(1, 0) - v(0, 0)) * fx;
    const double bottom = v(0, 1) + (v(1, 1) - v(0, 1)) * fx;
    return top + (bottom - top) * fy;
  }
  // Octaves summed, about 0 to 1.
  double fractal(double x, double y, int octaves) const {
    double sum = 0, amplitude = 0.5, scale = 1;
    for (int i = 0; i < octaves; ++i) {
      sum += amplitude * at(x * scale, y * scale);
      amplitude *= 0.5;
      scale *= 2.03;
    }
    return sum;
  }
};

constexpr double SunX = 262, SunY = 96, SunRadius = 15;

Color Sky(double x, double y, const Noise& noise) {
  const double t = y / Horizon;
  Color c = t < 0.6 ? Mix({0.10, 0.14, 0.38}, {0.78, 0.36, 0.42}, t / 0.6)
                    : Mix({0.78, 0.36, 0.42}, {1.00, 0.72, 0.38}, (t - 0.6) / 0.4);
  // A warm glow around the sun, wider than high, and thin drawn-out clouds.
  const double d = std::hypot(x - SunX, (y - SunY) * 1.4);
  c = Mix(c, {1.0, 0.86, 0.55}, 0.75 * std::exp(-d / 55));
  const double cloud = Clamp01((noise.fractal(x / 60, y / 9, 5) - 0.52) * 3.5);
  c = Mix(c, {0.98, 0.62, 0.55}, cloud * 0.65 * (1 - t * 0.5));
  const double disc = std::hypot(x - SunX, y - SunY);
  if (disc < SunRadius) c = Mix(c, {1.0, 0.97, 0.85}, Clamp01((SunRadius - disc) / 1.5));
  return c;
}

// Height of a mountain ridge above the horizon at column x (pixels).
double Ridge(double x, const Noise& noise, double base, double amplitude, double scale, double offset) {
  return base + amplitude * noise.fractal(x / scale + offset, offset, 6);
}

Color Land(double x, double y, const Noise& noise, bool& hit) {
  hit = true;
  const double near = Ridge(x, noise, 6, 46, 90, 11.3);
  const double far = Ridge(x, noise, 24, 70, 140, 3.7);
  const double h = Horizon - y;
  const double grain = noise.fractal(x / 3, y / 3, 3) - 0.5;
  if (h < near) {
    const double t = h / near;
    return Mix({0.07, 0.10, 0.12}, {0.20, 0.22, 0.30}, t * 0.6 + grain * 0.5);
  }
  if (h < far) {
    const double t = (h - near) / (far - near + 1);
    return Mix({0.30, 0.27, 0.45}, {0.56, 0.40, 0.52}, t + grain * 0.4);
  }
  hit = false;
  return {};
}

Color Scene(double x, double y, const Noise& noise) {
  bool hit = false;
  const Color land = Land(x, y, noise, hit);
  return hit ? land : Sky(x, y, noise);
}

Color Water(double x, double y, const Noise& noise) {
  // Mirror the scene about the horizon, shifted sideways by ripples that
  // grow towards the viewer; darken and cool it slightly.
  const double depth = (y - Horizon) / (Height - Horizon);
  const double ripple = (noise.fractal(x / 40, y / 2.5, 4) - 0.5) * (4 + 26 * depth);
  const double my = 2 * Horizon - y + ripple * 0.3;
  Color c = Scene(x + ripple, my < 0 ? 0 : my, noise);
  c = Mix(c, {0.08, 0.12, 0.25}, 0.25 + 0.35 * depth);
  // Sparkles in the sun's path.
  const double path = std::exp(-std::fabs(x + ripple * 0.5 - SunX) / (6 + 30 * depth));
  const double glint = Clamp01((noise.fractal(x / 7, y / 1.3, 3) - 0.55) * 6);
  return Mix(c, {1.0, 0.85, 0.6}, path * glint * 0.9);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: photo_gen OUT.ppm\n");
    return 2;
  }
  const Noise noise(20261211u);
  std::vector<unsigned char> pixels;
  pixels.reserve(Width * Height * 3);
  for (int y = 0; y < Height; ++y) {
    for (int x = 0; x < Width; ++x) {
      const Color c = y < Horizon ? Scene(x, y, noise) : Water(x, y, noise);
      for (double v : {c.r, c.g, c.b}) {
        pixels.push_back(static_cast<unsigned char>(Clamp01(v) * 255 + 0.5));
      }
    }
  }
  FILE* out = std::fopen(argv[1], "wb");
  if (!out) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(out, "P6\n%d %d\n255\n", Width, Height);
  const bool ok = std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
  if (std::fclose(out) != 0 || !ok) {
    std::fprintf(stderr, "photo_gen: could not write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
