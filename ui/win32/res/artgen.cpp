// Draws the program's artwork and writes it as .ico and .bmp files for the
// resource compiler: the service state icons, the toolbar images, the application
// icon and the splash picture. Built and run on the build machine; shapes are
// rasterised with 4x4 supersampling into 32-bit images with alpha. Icons are drawn
// in a 16-unit box, at every size the renderer picks for a DPI (16, 20, 24, 32
// pixels), so none is ever a stretched copy of another.
//
// Usage: artgen <output folder>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;  // straight alpha, 0..1
};

Rgba Hex(std::uint32_t rgb, double a = 1.0) {
    return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, a};
}

Rgba Mix(const Rgba& x, const Rgba& y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

using Shape = std::function<bool(double x, double y)>;  // inside test, canvas units
using Paint = std::function<Rgba(double x, double y)>;  // colour at a point

class Canvas {
  public:
    // unit: pixels per unit of the shapes drawn on it.
    Canvas(int w, int h, double unit = 1.0)
        : w_(w), h_(h), unit_(unit), px_(static_cast<std::size_t>(w) * h) {}
    // A square icon of size pixels, drawn in a 16-unit box.
    static Canvas Icon(int size) { return Canvas(size, size, size / 16.0); }
    int W() const { return w_; }
    int H() const { return h_; }
    const Rgba& At(int x, int y) const { return px_[static_cast<std::size_t>(y) * w_ + x]; }
    void Set(int x, int y, const Rgba& c) { px_[static_cast<std::size_t>(y) * w_ + x] = c; }

    void Fill(const Shape& shape, const Paint& paint) {
        constexpr int kSub = 4;
        for (int y = 0; y < h_; ++y) {
            for (int x = 0; x < w_; ++x) {
                int hits = 0;
                for (int sy = 0; sy < kSub; ++sy)
                    for (int sx = 0; sx < kSub; ++sx)
                        if (shape((x + (sx + 0.5) / kSub) / unit_, (y + (sy + 0.5) / kSub) / unit_))
                            ++hits;
                if (hits == 0) continue;
                Rgba c = paint((x + 0.5) / unit_, (y + 0.5) / unit_);
                c.a *= static_cast<double>(hits) / (kSub * kSub);
                Over(px_[static_cast<std::size_t>(y) * w_ + x], c);
            }
        }
    }
    void Fill(const Shape& shape, const Rgba& colour) {
        Fill(shape, [colour](double, double) { return colour; });
    }

  private:
    static void Over(Rgba& dst, const Rgba& src) {
        const double a = src.a + dst.a * (1 - src.a);
        if (a <= 0) {
            dst = {};
            return;
        }
        dst.r = (src.r * src.a + dst.r * dst.a * (1 - src.a)) / a;
        dst.g = (src.g * src.a + dst.g * dst.a * (1 - src.a)) / a;
        dst.b = (src.b * src.a + dst.b * dst.a * (1 - src.a)) / a;
        dst.a = a;
    }
    int w_, h_;
    double unit_;
    std::vector<Rgba> px_;
};

// --- Shapes ---

Shape Disc(double cx, double cy, double r) {
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}

Shape RoundRect(double x0, double y0, double x1, double y1, double radius) {
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        const double dx = std::max({x0 + radius - x, 0.0, x - (x1 - radius)});
        const double dy = std::max({y0 + radius - y, 0.0, y - (y1 - radius)});
        return dx * dx + dy * dy <= radius * radius;
    };
}

Shape Polygon(std::vector<std::pair<double, double>> pts) {
    return [pts](double x, double y) {
        bool inside = false;
        for (std::size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const auto [xi, yi] = pts[i];
            const auto [xj, yj] = pts[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) inside = !inside;
        }
        return inside;
    };
}

// A line of width w with round ends.
Shape Stroke(double x0, double y0, double x1, double y1, double w) {
    return [=](double x, double y) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / len2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double px = x0 + t * dx - x, py = y0 + t * dy - y;
        return px * px + py * py <= (w / 2) * (w / 2);
    };
}

// A ring of radius r and width w between angles a0 and a1 (degrees, counter-clockwise
// from the right, y up).
Shape Arc(double cx, double cy, double r, double w, double a0, double a1) {
    return [=](double x, double y) {
        const double dx = x - cx, dy = cy - y;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < r - w / 2 || d > r + w / 2) return false;
        double a = std::atan2(dy, dx) * 180 / kPi;
        double span = a1 - a0;
        double rel = std::fmod(a - a0 + 720, 360);
        return rel <= span;
    };
}

Shape Union(std::vector<Shape> parts) {
    return [parts](double x, double y) {
        return std::any_of(parts.begin(), parts.end(), [&](const Shape& s) { return s(x, y); });
    };
}

Shape Minus(Shape a, Shape b) {
    return [a, b](double x, double y) { return a(x, y) && !b(x, y); };
}

Shape Scaled(Shape s, double ox, double oy, double k) {
    return [=](double x, double y) { return s((x - ox) / k, (y - oy) / k); };
}

Paint Vertical(const Rgba& top, const Rgba& bottom, double y0, double y1) {
    return [=](double, double y) {
        return Mix(top, bottom, std::clamp((y - y0) / (y1 - y0), 0.0, 1.0));
    };
}

const Rgba kWhite = Hex(0xFFFFFF);

// A shaded disc: the status lamps and the help badge.
void Lamp(Canvas& c, std::uint32_t light, std::uint32_t dark, std::uint32_t rim) {
    c.Fill(Disc(8, 8, 7.5), Hex(rim));
    c.Fill(Disc(8, 8, 6.6), Vertical(Hex(light), Hex(dark), 1.5, 14.5));
    c.Fill([](double x, double y) { return (x - 8) * (x - 8) / 20 + (y - 5) * (y - 5) / 6 <= 1; },
           Hex(0xFFFFFF, 0.22));
}

// --- The artwork ---

void Active(Canvas& c) {  // running: green lamp with a play mark
    Lamp(c, 0x5DD36B, 0x1F8A32, 0x16692A);
    c.Fill(Polygon({{6.2, 4.6}, {11.6, 8}, {6.2, 11.4}}), kWhite);
}

void Inactive(Canvas& c) {  // manual, stopped: grey lamp with a stop mark
    Lamp(c, 0xC4C9CF, 0x7B838C, 0x5F666E);
    c.Fill(RoundRect(5.2, 5.2, 10.8, 10.8, 0.8), kWhite);
}

void Disabled(Canvas& c) {  // automatic but stopped, or disabled: red lamp with a bar
    Lamp(c, 0xF26B5E, 0xB3261E, 0x8E1D17);
    c.Fill(RoundRect(4.2, 6.9, 11.8, 9.1, 0.9), kWhite);
}

void Busy(Canvas& c) {  // pending: amber lamp with an hourglass
    Lamp(c, 0xFFC94D, 0xD98A00, 0xA86A00);
    c.Fill(Union({Polygon({{5.3, 4.3}, {10.7, 4.3}, {8.5, 8}, {10.7, 11.7}, {5.3, 11.7}, {7.5, 8}}),
                  RoundRect(4.8, 3.6, 11.2, 4.6, 0.4), RoundRect(4.8, 11.4, 11.2, 12.4, 0.4)}),
           kWhite);
}

void Start(Canvas& c) {
    c.Fill(Polygon({{3.5, 1.5}, {14, 8}, {3.5, 14.5}}), Hex(0x146C2A));
    c.Fill(Polygon({{4.6, 3.3}, {12.2, 8}, {4.6, 12.7}}),
           Vertical(Hex(0x6FDB7B), Hex(0x24993A), 3, 13));
}

void Stop(Canvas& c) {
    c.Fill(RoundRect(2, 2, 14, 14, 2), Hex(0x8E1D17));
    c.Fill(RoundRect(3, 3, 13, 13, 1.4), Vertical(Hex(0xF27A6E), Hex(0xC22B22), 3, 13));
}

void Restart(Canvas& c) {
    const Rgba blue = Hex(0x1F6FC5);
    c.Fill(Arc(8, 8.5, 5.2, 2.2, 120, 330), blue);  // an open circle, clockwise arrow
    c.Fill(Polygon({{8.2, 0.8}, {12.8, 3.6}, {8.2, 6.4}}), blue);
    c.Fill(Stroke(5.6, 3.9, 8.6, 3.5, 2.2), blue);
}

void Properties(Canvas& c) {  // a sheet with lines
    c.Fill(RoundRect(2.5, 1, 13.5, 15, 1), Hex(0x6B7480));
    c.Fill(RoundRect(3.5, 2, 12.5, 14, 0.5), Hex(0xFDFDFD));
    for (double y : {5.0, 7.5, 10.0})
        c.Fill(Stroke(5, y, 11, y, 1.2), Hex(0x2F7BD0));
    c.Fill(Stroke(5, 12.3, 8.5, 12.3, 1.2), Hex(0x2F7BD0));
}

void Create(Canvas& c) {  // a sheet with a green plus
    c.Fill(RoundRect(1.5, 1, 11.5, 14, 1), Hex(0x6B7480));
    c.Fill(RoundRect(2.5, 2, 10.5, 13, 0.5), Hex(0xFDFDFD));
    for (double y : {4.5, 7.0})
        c.Fill(Stroke(4, y, 9, y, 1.1), Hex(0x9AA3AD));
    c.Fill(Disc(11.5, 11.5, 4.3), Hex(0x146C2A));
    c.Fill(Disc(11.5, 11.5, 3.5), Vertical(Hex(0x6FDB7B), Hex(0x24993A), 8, 15));
    c.Fill(Union({Stroke(9.5, 11.5, 13.5, 11.5, 1.5), Stroke(11.5, 9.5, 11.5, 13.5, 1.5)}), kWhite);
}

void Remove(Canvas& c) {  // a red cross
    c.Fill(Union({Stroke(3.5, 3.5, 12.5, 12.5, 3.6), Stroke(12.5, 3.5, 3.5, 12.5, 3.6)}),
           Hex(0x8E1D17));
    c.Fill(Union({Stroke(3.5, 3.5, 12.5, 12.5, 2.2), Stroke(12.5, 3.5, 3.5, 12.5, 2.2)}),
           Vertical(Hex(0xF27A6E), Hex(0xC22B22), 3, 13));
}

void Help(Canvas& c) {  // a blue badge with a question mark
    Lamp(c, 0x5AA2EA, 0x1B5FAE, 0x154A88);
    c.Fill(Union({Arc(8, 6.2, 2.3, 1.8, -90, 180), Stroke(8, 8.5, 8, 9.6, 1.8)}), kWhite);
    c.Fill(Disc(8, 12, 1.05), kWhite);
}

// The gear of the application icon, in a 16-unit box.
Shape Gear() {
    std::vector<Shape> parts{Disc(8, 8, 5.2)};
    for (int i = 0; i < 8; ++i) {
        const double a = i * kPi / 4;
        parts.push_back(Stroke(8 + 4.6 * std::cos(a), 8 + 4.6 * std::sin(a), 8 + 6.6 * std::cos(a),
                               8 + 6.6 * std::sin(a), 2.3));
    }
    return Minus(Union(parts), Disc(8, 8, 2.4));
}

void AppIcon(Canvas& c) {
    c.Fill(RoundRect(0.5, 0.5, 15.5, 15.5, 3), Hex(0x123E73));
    c.Fill(RoundRect(1.1, 1.1, 14.9, 14.9, 2.5), Vertical(Hex(0x3C8DE0), Hex(0x1A4F92), 0, 16));
    c.Fill(Gear(), Hex(0xF4F8FC));
    c.Fill(Polygon({{7.2, 6.1}, {10.4, 8}, {7.2, 9.9}}), Hex(0x2DB54A));
}

// Letters of the product name as strokes: cap height 10 units, baseline at y 10.
struct Glyph {
    double width;
    std::function<Shape(double x, double w)> make;  // x: left edge, w: stroke width
};

std::vector<Glyph> ProductNameGlyphs() {
    return {
        {7.6,
         [](double x, double w) {
             return Union({Stroke(x, 0, x + 3.8, 10, w), Stroke(x + 3.8, 10, x + 7.6, 0, w)});
         }},
        {7.0,
         [](double x, double w) {
             return Union(
                 {Arc(x + 3.3, 6.6, 3.3, w, 0, 360), Stroke(x + 6.6, 3.2, x + 6.6, 10, w)});
         }},
        {6.4,
         [](double x, double w) {
             return Union({Stroke(x, 3.2, x, 10, w), Arc(x + 3.2, 6.4, 3.2, w, 0, 180),
                           Stroke(x + 6.4, 6.4, x + 6.4, 10, w)});
         }},
        {3.8,
         [](double x, double w) {
             return Union({Stroke(x + 1.4, 0.8, x + 1.4, 8.6, w),
                           Arc(x + 3.2, 8.6, 1.8, w, 180, 300), Stroke(x, 3.4, x + 3.8, 3.4, w)});
         }},
        {4.4,
         [](double x, double w) {
             return Union({Stroke(x, 3.2, x, 10, w), Arc(x + 3.6, 6.8, 3.6, w, 90, 180),
                           Stroke(x + 3.6, 3.2, x + 4.4, 3.4, w)});
         }},
        {7.0,
         [](double x, double w) {
             return Union(
                 {Arc(x + 3.5, 6.6, 3.4, w, 0, 320), Stroke(x + 0.1, 6.6, x + 6.9, 6.6, w)});
         }},
        {0.0, [](double x, double w) { return Stroke(x, 0, x, 10, w); }},
    };
}

void Splash(Canvas& c) {
    // Background: deep blue to blue, with a soft light band.
    c.Fill([](double, double) { return true; }, Vertical(Hex(0x0E2F5A), Hex(0x1F5FA8), 0, c.H()));
    c.Fill(Disc(60, 200, 170), Hex(0xFFFFFF, 0.06));
    // The gear mark.
    c.Fill(Scaled(Gear(), 18, 37, 6.0), Hex(0xF4F8FC));
    c.Fill(Scaled(Polygon({{7.2, 6.1}, {10.4, 8}, {7.2, 9.9}}), 18, 37, 6.0), Hex(0x2DB54A));
    // The name.
    const double k = 3.4, top = 62, w = 1.8;
    double x = 132;
    std::vector<Shape> letters;
    for (const Glyph& g : ProductNameGlyphs()) {
        letters.push_back(Scaled(g.make(0.9 + (x - 132) / k, w), 132, top, k));
        x += (g.width + 2.0) * k;
    }
    c.Fill(Union(letters), kWhite);
    // An accent line under the name and a frame.
    c.Fill(RoundRect(133, 108, 298, 111, 1.5), Hex(0x2DB54A));
    c.Fill(Minus(RoundRect(0, 0, c.W(), c.H(), 0), RoundRect(1, 1, c.W() - 1, c.H() - 1, 0)),
           Hex(0x0A2140));
}

// --- Files ---

void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
std::uint8_t Byte(double v) {
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

// One icon image: BITMAPINFOHEADER, 32-bit BGRA rows bottom-up, then the AND mask.
std::vector<std::uint8_t> IconImage(const Canvas& c) {
    std::vector<std::uint8_t> b;
    Put32(b, 40);
    Put32(b, c.W());
    Put32(b, c.H() * 2);
    Put16(b, 1);
    Put16(b, 32);
    Put32(b, 0);
    const int maskStride = ((c.W() + 31) / 32) * 4;
    Put32(b, c.W() * c.H() * 4 + maskStride * c.H());
    for (int i = 0; i < 4; ++i)
        Put32(b, 0);
    for (int y = c.H() - 1; y >= 0; --y) {
        for (int x = 0; x < c.W(); ++x) {
            const Rgba& p = c.At(x, y);
            b.push_back(Byte(p.b));
            b.push_back(Byte(p.g));
            b.push_back(Byte(p.r));
            b.push_back(Byte(p.a));
        }
    }
    for (int y = c.H() - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(maskStride, 0);
        for (int x = 0; x < c.W(); ++x)
            if (Byte(c.At(x, y).a) == 0) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

bool WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool WriteIcon(const std::string& path, void (*draw)(Canvas&), std::vector<int> sizes) {
    std::vector<std::vector<std::uint8_t>> images;
    for (int s : sizes) {
        Canvas c = Canvas::Icon(s);
        draw(c);
        images.push_back(IconImage(c));
    }
    std::vector<std::uint8_t> b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<unsigned>(sizes.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        b.push_back(static_cast<std::uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        b.push_back(static_cast<std::uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, 32);
        Put32(b, static_cast<std::uint32_t>(images[i].size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& img : images)
        b.insert(b.end(), img.begin(), img.end());
    return WriteFile(path, b);
}

bool WriteBitmap(const std::string& path, const Canvas& c) {
    const int stride = (c.W() * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + stride * c.H());
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, c.W());
    Put32(b, c.H());
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, stride * c.H());
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = c.H() - 1; y >= 0; --y) {
        int n = 0;
        for (int x = 0; x < c.W(); ++x, n += 3) {
            const Rgba& p = c.At(x, y);  // opaque: the background covers everything
            b.push_back(Byte(p.b));
            b.push_back(Byte(p.g));
            b.push_back(Byte(p.r));
        }
        for (; n < stride; ++n)
            b.push_back(0);
    }
    return WriteFile(path, b);
}

}  // namespace

// The sizes every icon is drawn in; the application icon also comes larger.
const std::vector<int> kIconSizes = {16, 20, 24, 32};

// A sheet of every icon in every size (a row per size), enlarged 3 times, on a
// light background: for looking at the artwork.
bool WritePreview(const std::string& path) {
    void (*draws[])(Canvas&) = {Active,  Inactive,   Disabled, Busy,   Start, Stop,
                                Restart, Properties, Create,   Remove, Help,  AppIcon};
    constexpr int kZoom = 3, kCell = 32 * kZoom + 8;
    const int rows = static_cast<int>(kIconSizes.size());
    Canvas sheet(kCell * 12, kCell * rows);
    sheet.Fill([](double, double) { return true; }, Hex(0xF0F0F0));
    for (int row = 0; row < rows; ++row) {
        const int size = kIconSizes[static_cast<std::size_t>(row)];
        for (int i = 0; i < 12; ++i) {
            Canvas icon = Canvas::Icon(size);
            draws[i](icon);
            for (int y = 0; y < size * kZoom; ++y)
                for (int x = 0; x < size * kZoom; ++x) {
                    const Rgba& p = icon.At(x / kZoom, y / kZoom);
                    const int sx = i * kCell + 4 + x, sy = row * kCell + 4 + y;
                    sheet.Set(sx, sy, Mix(sheet.At(sx, sy), {p.r, p.g, p.b, 1.0}, p.a));
                }
        }
    }
    return WriteBitmap(path, sheet);
}

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--preview") return WritePreview(argv[2]) ? 0 : 1;
    if (argc != 2) {
        std::fprintf(stderr, "usage: artgen <output folder> | --preview <file.bmp>\n");
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    struct IconFile {
        const char* name;
        void (*draw)(Canvas&);
        std::vector<int> sizes;
    };
    const IconFile icons[] = {
        {"active.ico", Active, kIconSizes},
        {"inactive.ico", Inactive, kIconSizes},
        {"disabled.ico", Disabled, kIconSizes},
        {"busy.ico", Busy, kIconSizes},
        {"start.ico", Start, kIconSizes},
        {"stop.ico", Stop, kIconSizes},
        {"restart.ico", Restart, kIconSizes},
        {"properties.ico", Properties, kIconSizes},
        {"create.ico", Create, kIconSizes},
        {"remove.ico", Remove, kIconSizes},
        {"help.ico", Help, kIconSizes},
        // Window icons are 32 pixels at 96 DPI: 48 at 144, 64 at 192.
        {"appicon.ico", AppIcon, {16, 20, 24, 32, 40, 48, 64}},
    };
    for (const IconFile& f : icons) {
        if (!WriteIcon(dir + f.name, f.draw, f.sizes)) {
            std::fprintf(stderr, "artgen: cannot write %s\n", f.name);
            return 1;
        }
    }
    Canvas splash(330, 170);
    Splash(splash);
    if (!WriteBitmap(dir + "splash.bmp", splash)) {
        std::fprintf(stderr, "artgen: cannot write splash.bmp\n");
        return 1;
    }
    return 0;
}
