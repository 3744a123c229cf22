// The CSV table and the SVG chart of a recorded run.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "recording.h"
#include "text.h"

namespace {

// The state of every slot, replayed frame by frame from the recorded changes.
class SlotReplay {
public:
    explicit SlotReplay(const Recording& recording) : recording_(recording) {
        panel_.fill(0);
        sound_.fill(kSoundStop);
    }
    // Brings the slots to their values after frame.
    void advance(size_t frame) {
        while (next_ < recording_.changes.size() && recording_.changes[next_].frame <= frame) {
            const SlotChange& change = recording_.changes[next_++];
            (change.sound ? sound_ : panel_)[static_cast<size_t>(change.index)] = change.value;
        }
    }
    int32_t value(bool sound, int32_t index) const { return (sound ? sound_ : panel_)[static_cast<size_t>(index)]; }

private:
    const Recording& recording_;
    size_t next_ = 0;
    std::array<int32_t, kSlotCount> panel_{};
    std::array<int32_t, kSlotCount> sound_{};
};

struct Column {
    bool sound;
    int32_t index;
};

// The labelled and watched slots first, in the scenario's order, then every other slot
// that changed: panel slots before sound slots, each by index.
std::vector<Column> watchedColumns(const Recording& recording, const Scenario& scenario) {
    std::vector<Column> columns;
    auto has = [&](bool sound, int32_t index) {
        return std::any_of(columns.begin(), columns.end(),
                           [&](const Column& c) { return c.sound == sound && c.index == index; });
    };
    for (const auto& label : scenario.labels) {
        if (!has(label.sound, label.index)) columns.push_back({label.sound, label.index});
    }
    for (const auto& change : recording.changes) {
        if (!has(change.sound, change.index)) columns.push_back({change.sound, change.index});
    }
    std::sort(columns.begin() + static_cast<std::ptrdiff_t>(std::min(scenario.labels.size(), columns.size())),
              columns.end(), [](const Column& a, const Column& b) {
                  return a.sound != b.sound ? !a.sound : a.index < b.index;
              });
    return columns;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\n") == std::string::npos) return text;
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + '"';
}

// Text for the chart: XML's special characters as entities, and control bytes, which XML
// refuses, written out as escapes.
std::string xml(const std::string& text) {
    std::string out;
    for (const char c : Printable(text)) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (text == "-0" || text == "-0.0" || text == "-0.00") text.erase(0, 1);
    return text;
}

// A round step (1, 2 or 5 times a power of ten) giving about `parts` divisions of range.
double niceStep(double range, int parts) {
    if (!(range > 0.0)) return 1.0;
    const double raw = range / parts;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (raw <= m * magnitude) return m * magnitude;
    }
    return 10.0 * magnitude;
}

struct Axis {
    double lo;
    double hi;
    double pixelLo;
    double pixelHi;
    double at(double value) const {
        if (hi <= lo) return pixelLo;
        return pixelLo + (value - lo) / (hi - lo) * (pixelHi - pixelLo);
    }
};

}  // namespace

std::string SlotName(const Scenario& scenario, bool sound, int32_t index) {
    for (const auto& label : scenario.labels) {
        if (label.sound == sound && label.index == index && !label.text.empty()) return label.text;
    }
    return std::string(sound ? "sound[" : "panel[") + std::to_string(index) + "]";
}

bool WriteCsv(const Recording& recording, const Scenario& scenario, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    if (!out) return false;
    const std::vector<Column> columns = watchedColumns(recording, scenario);
    // A slot whose name another column has too (a slot labelled "power", two slots with one
    // label) is told apart by its index.
    std::vector<std::string> names = {"time_s", "location_m", "speed_kmh", "brake", "power", "reverser"};
    const size_t fixedColumns = names.size();
    for (const auto& column : columns) names.push_back(SlotName(scenario, column.sound, column.index));
    for (size_t i = fixedColumns; i < names.size(); ++i) {
        const Column& column = columns[i - fixedColumns];
        if (std::count(names.begin(), names.end(), SlotName(scenario, column.sound, column.index)) > 1) {
            names[i] += std::string(column.sound ? " (sound[" : " (panel[") + std::to_string(column.index) + "])";
        }
    }
    for (size_t i = 0; i < names.size(); ++i) out << (i == 0 ? "" : ",") << csvField(names[i]);
    out << '\n';
    SlotReplay slots(recording);
    for (size_t i = 0; i < recording.frames.size(); ++i) {
        const FrameRecord& f = recording.frames[i];
        slots.advance(i);
        out << fixed(f.time / 1000.0, 3) << ',' << fixed(f.location, 2) << ',' << fixed(f.speed, 2) << ',' << f.brake
            << ',' << f.power << ',' << f.reverser;
        for (const auto& column : columns) out << ',' << slots.value(column.sound, column.index);
        out << '\n';
    }
    return static_cast<bool>(out);
}

bool WriteSvg(const Recording& recording, const Scenario& scenario, const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    if (!file) return false;
    const auto& frames = recording.frames;
    const bool byDistance = scenario.chartByDistance;
    auto xValue = [&](size_t i) { return byDistance ? frames[i].location : frames[i].time / 1000.0; };

    std::vector<SlotLabel> bands;
    for (const auto& label : scenario.labels) {
        if (!label.text.empty()) bands.push_back(label);
    }
    constexpr double kWidth = 960, kLeft = 150, kRight = 90, kTop = 50;
    constexpr double kSpeedHeight = 220, kGap = 34, kHandleHeight = 110, kBandHeight = 22;
    const double handleTop = kTop + kSpeedHeight + kGap;
    const double bandTop = handleTop + kHandleHeight + kGap;
    const double bandsBottom = bandTop + kBandHeight * static_cast<double>(bands.size() + 1);
    const double height = bandsBottom + 50;

    double xLo = 0, xHi = 1, speedLo = 0, speedHi = 10;
    if (!frames.empty()) {
        xLo = xHi = xValue(0);
        for (size_t i = 0; i < frames.size(); ++i) {
            xLo = std::min(xLo, xValue(i));
            xHi = std::max(xHi, xValue(i));
            speedLo = std::min(speedLo, frames[i].speed);
            speedHi = std::max(speedHi, frames[i].speed);
        }
    }
    if (!byDistance) xLo = std::min(xLo, 0.0);
    if (xHi <= xLo) xHi = xLo + 1;
    const double speedStep = niceStep(speedHi - speedLo, 5);
    speedHi = std::ceil(speedHi / speedStep) * speedStep;
    speedLo = std::floor(speedLo / speedStep) * speedStep;
    const int32_t handleMax = std::max(recording.brakeNotches + 1, recording.powerNotches);
    const Axis x{xLo, xHi, kLeft, kWidth - kRight};
    const Axis speed{speedLo, speedHi, kTop + kSpeedHeight, kTop};
    const Axis handle{0, static_cast<double>(handleMax), handleTop + kHandleHeight, handleTop};

    std::ostringstream svg;
    svg << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << kWidth << ' ' << height << "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
    svg << "<text x=\"" << kLeft << "\" y=\"22\" font-size=\"15\" font-weight=\"bold\">"
        << xml(scenario.title.empty() ? std::string("footplate-run") : scenario.title) << "</text>\n";

    // Frames of the two charts, with their grids and scales.
    auto frame = [&](double top, double bottom) {
        svg << "<rect x=\"" << kLeft << "\" y=\"" << top << "\" width=\"" << kWidth - kLeft - kRight << "\" height=\""
            << bottom - top << "\" fill=\"none\" stroke=\"#888\"/>\n";
    };
    frame(kTop, kTop + kSpeedHeight);
    frame(handleTop, handleTop + kHandleHeight);
    for (double v = speedLo; v <= speedHi + speedStep / 2; v += speedStep) {
        svg << "<line x1=\"" << kLeft << "\" x2=\"" << kWidth - kRight << "\" y1=\"" << fixed(speed.at(v), 1)
            << "\" y2=\"" << fixed(speed.at(v), 1) << "\" stroke=\"#eee\"/>"
            << "<text x=\"" << kLeft - 6 << "\" y=\"" << fixed(speed.at(v) + 4, 1) << "\" text-anchor=\"end\">"
            << fixed(v, 0) << "</text>\n";
    }
    svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << kTop - 8 << "\" text-anchor=\"end\">km/h</text>\n";
    for (int32_t n = 0; n <= handleMax; ++n) {
        svg << "<line x1=\"" << kLeft << "\" x2=\"" << kWidth - kRight << "\" y1=\"" << fixed(handle.at(n), 1)
            << "\" y2=\"" << fixed(handle.at(n), 1) << "\" stroke=\"#eee\"/>";
        if (handleMax <= 12 || n % 2 == 0) {
            svg << "<text x=\"" << kLeft - 6 << "\" y=\"" << fixed(handle.at(n) + 4, 1) << "\" text-anchor=\"end\">" << n
                << "</text>";
        }
        svg << '\n';
    }
    svg << "<text x=\"" << kLeft - 30 << "\" y=\"" << handleTop - 8 << "\" text-anchor=\"end\">notch</text>\n";
    const double xStep = niceStep(xHi - xLo, 10);
    for (double v = std::ceil(xLo / xStep) * xStep; v <= xHi + xStep / 1000; v += xStep) {
        svg << "<line x1=\"" << fixed(x.at(v), 1) << "\" x2=\"" << fixed(x.at(v), 1) << "\" y1=\"" << kTop << "\" y2=\""
            << bandsBottom << "\" stroke=\"#f0f0f0\"/>"
            << "<text x=\"" << fixed(x.at(v), 1) << "\" y=\"" << bandsBottom + 16 << "\" text-anchor=\"middle\">"
            << fixed(v, xStep < 1 ? 1 : 0) << "</text>\n";
    }
    svg << "<text x=\"" << (kLeft + kWidth - kRight) / 2 << "\" y=\"" << bandsBottom + 36
        << "\" text-anchor=\"middle\">" << (byDistance ? "distance (m)" : "time (s)") << "</text>\n";

    // Beacon marks across every chart.
    for (size_t m = 0; m < recording.beacons.size(); ++m) {
        const BeaconMark& mark = recording.beacons[m];
        const double at = x.at(byDistance ? mark.location : mark.time / 1000.0);
        const std::string text = mark.label.empty() ? std::to_string(mark.type) : mark.label;
        svg << "<line x1=\"" << fixed(at, 1) << "\" x2=\"" << fixed(at, 1) << "\" y1=\"" << kTop << "\" y2=\""
            << bandsBottom << "\" stroke=\"#7a5cc7\" stroke-dasharray=\"4 3\"/>"
            << "<text x=\"" << fixed(at + 3, 1) << "\" y=\"" << kTop + 12 + 11 * static_cast<double>(m % 4) << "\" fill=\"#7a5cc7\" font-size=\"10\">"
            << xml(text) << "</text>\n";
    }

    // Speed as a line, the handles as steps.
    if (!frames.empty()) {
        svg << "<polyline fill=\"none\" stroke=\"#1f5fbf\" stroke-width=\"2\" points=\"";
        for (size_t i = 0; i < frames.size(); ++i) {
            svg << fixed(x.at(xValue(i)), 1) << ',' << fixed(speed.at(frames[i].speed), 1) << ' ';
        }
        svg << "\"/>\n";
        auto steps = [&](int32_t FrameRecord::*field, const char* colour, double offset) {
            svg << "<polyline fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"2\" points=\"";
            for (size_t i = 0; i < frames.size(); ++i) {
                const double y = handle.at(frames[i].*field) + offset;
                if (i > 0) svg << fixed(x.at(xValue(i)), 1) << ',' << fixed(handle.at(frames[i - 1].*field) + offset, 1) << ' ';
                svg << fixed(x.at(xValue(i)), 1) << ',' << fixed(y, 1) << ' ';
            }
            svg << "\"/>\n";
        };
        steps(&FrameRecord::brake, "#c62828", -1);
        steps(&FrameRecord::power, "#2e7d32", 1);
    }
    svg << "<text x=\"" << kWidth - kRight << "\" y=\"" << kTop - 8 << "\" text-anchor=\"end\" fill=\"#1f5fbf\">"
        << "speed</text>\n<text x=\"" << kWidth - kRight << "\" y=\"" << handleTop - 8
        << "\" text-anchor=\"end\"><tspan fill=\"#c62828\">brake</tspan>  <tspan fill=\"#2e7d32\">power</tspan></text>\n";

    // One band per labelled slot, and the reverser's, shaded while lit or playing.
    auto bandRow = [&](size_t row, const std::string& name) {
        const double top = bandTop + kBandHeight * static_cast<double>(row);
        svg << "<rect x=\"" << kLeft << "\" y=\"" << top + 2 << "\" width=\"" << kWidth - kLeft - kRight
            << "\" height=\"" << kBandHeight - 4 << "\" fill=\"#fafafa\" stroke=\"#ddd\"/>"
            << "<text x=\"" << kLeft - 6 << "\" y=\"" << top + 15 << "\" text-anchor=\"end\">" << xml(name)
            << "</text>\n";
        return top;
    };
    auto shade = [&](double top, size_t from, size_t to, const char* colour, const std::string& text,
                     double minWidth = 1.0) {
        const double x0 = x.at(xValue(from));
        const double x1 = to < frames.size() ? x.at(xValue(to)) : x.at(xValue(frames.size() - 1));
        const double left = std::min(x0, x1);
        const double width = std::max(minWidth, std::fabs(x1 - x0));
        svg << "<rect x=\"" << fixed(left, 1) << "\" y=\"" << top + 3 << "\" width=\"" << fixed(width, 1)
            << "\" height=\"" << kBandHeight - 6 << "\" fill=\"" << colour << "\"/>";
        if (!text.empty() && width > 8.0 * static_cast<double>(text.size())) {
            svg << "<text x=\"" << fixed(left + 3, 1) << "\" y=\"" << top + 15 << "\" font-size=\"10\">" << xml(text)
                << "</text>";
        }
        svg << '\n';
    };
    // A gauge: its value as a line scaled to the band, with its range written beside it.
    auto gauge = [&](double top, const std::vector<int32_t>& values) {
        const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
        const Axis y{static_cast<double>(*lo), static_cast<double>(*hi), top + kBandHeight - 4, top + 4};
        svg << "<polyline fill=\"none\" stroke=\"#b07d00\" stroke-width=\"1.5\" points=\"";
        for (size_t i = 0; i < values.size(); ++i) {
            svg << fixed(x.at(xValue(i)), 1) << ',' << fixed(*hi > *lo ? y.at(values[i]) : top + kBandHeight / 2, 1)
                << ' ';
        }
        svg << "\"/><text x=\"" << kWidth - kRight + 4 << "\" y=\"" << top + 15 << "\" font-size=\"10\">" << *lo
            << ".." << *hi << "</text>\n";
    };
    // Runs of one value: [start, end) frames, drawn when on() holds.
    auto runs = [&](double top, auto valueAt, auto style) {
        size_t start = 0;
        for (size_t i = 1; i <= frames.size(); ++i) {
            if (i < frames.size() && valueAt(i) == valueAt(start)) continue;
            const int32_t value = valueAt(start);
            std::string text;
            if (const char* colour = style(value, text)) shade(top, start, i, colour, text);
            start = i;
        }
    };
    if (!frames.empty()) {
        const double top = bandRow(0, "reverser");
        runs(top, [&](size_t i) { return frames[i].reverser; }, [](int32_t v, std::string& text) -> const char* {
            text = v > 0 ? "forward" : "backward";
            return v == 0 ? nullptr : v > 0 ? "#b3d4a8" : "#e8c39e";
        });
        for (size_t b = 0; b < bands.size(); ++b) {
            const SlotLabel& band = bands[b];
            const double bandTopY = bandRow(b + 1, band.text);
            std::vector<int32_t> values(frames.size());
            SlotReplay slots(recording);
            for (size_t i = 0; i < frames.size(); ++i) {
                slots.advance(i);
                values[i] = slots.value(band.sound, band.index);
            }
            if (band.quiet) {
                gauge(bandTopY, values);
            } else if (band.sound) {
                runs(bandTopY, [&](size_t i) { return values[i]; }, [](int32_t v, std::string& text) -> const char* {
                    if (v == kSoundStop || v == kSoundOnce || v == kSoundContinue) return nullptr;
                    text = v == kSoundLoop ? "loop" : std::to_string(v);
                    return "#8fb3e8";
                });
                // A sound played once is marked where it starts: how long it plays is the host's
                // affair, so a band up to the next write would claim a sound that is long over.
                for (const SlotChange& change : recording.changes) {
                    if (change.sound && change.index == band.index && change.value == kSoundOnce && change.frame < frames.size()) {
                        shade(bandTopY, change.frame, change.frame + 1, "#4a78c2", "", 4.0);
                    }
                }
            } else {
                runs(bandTopY, [&](size_t i) { return values[i]; }, [](int32_t v, std::string& text) -> const char* {
                    if (v == 0) return nullptr;
                    if (v != 1) text = std::to_string(v);
                    return "#f5c542";
                });
            }
        }
    }
    svg << "</svg>\n";
    file << svg.str();
    return static_cast<bool>(file);
}
