// PLY: a text header describing elements and their properties, then the data in ascii or in
// little- or big-endian binary. Only the vertex element's x, y, z and red, green, blue are kept;
// everything else, list properties (faces) included, is skipped by its declared layout.
#include "point_cloud.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <string_view>

namespace {

enum class ply_type { int8, uint8, int16, uint16, int32, uint32, float32, float64 };

int type_size(ply_type t) {
    constexpr std::array<int, 8> sizes = {1, 1, 2, 2, 4, 4, 4, 8};
    return sizes[std::size_t(t)];
}

std::optional<ply_type> type_named(std::string_view name) {
    struct alias {
        std::string_view a, b;
        ply_type type;
    };
    constexpr alias names[] = {
        {"char", "int8", ply_type::int8},        {"uchar", "uint8", ply_type::uint8},
        {"short", "int16", ply_type::int16},     {"ushort", "uint16", ply_type::uint16},
        {"int", "int32", ply_type::int32},       {"uint", "uint32", ply_type::uint32},
        {"float", "float32", ply_type::float32}, {"double", "float64", ply_type::float64},
    };
    for (const alias &n : names) {
        if (name == n.a || name == n.b) {
            return n.type;
        }
    }
    return std::nullopt;
}

struct ply_property {
    std::string name;
    ply_type type = ply_type::float32;
    bool is_list = false;
    ply_type count_type = ply_type::uint8;
};

struct ply_element {
    std::string name;
    std::uint64_t count = 0;
    std::vector<ply_property> properties;

    bool has_lists() const {
        return std::any_of(properties.begin(), properties.end(),
                           [](const ply_property &p) { return p.is_list; });
    }
    // Bytes of one instance in binary, lists counted as holding nothing.
    std::uint64_t min_binary_size() const {
        std::uint64_t n = 0;
        for (const ply_property &p : properties) {
            n += std::uint64_t(type_size(p.is_list ? p.count_type : p.type));
        }
        return n;
    }
};

enum class ply_format { ascii, binary_little, binary_big };

struct ply_header {
    ply_format format = ply_format::ascii;
    std::vector<ply_element> elements;
    std::uint64_t lines = 0; // header lines, so ascii data lines count on from there
};

std::string at_line(std::uint64_t line) {
    return "line " + std::to_string(line) + ": ";
}
std::string at_byte(std::uint64_t byte) {
    return "byte " + std::to_string(byte) + ": ";
}

std::vector<std::string_view> words_of(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            ++i;
        }
        if (i > start) {
            words.push_back(line.substr(start, i - start));
        }
    }
    return words;
}

// A header line without its line end; false at the end of the input or on an overlong line.
constexpr std::size_t max_header_line = 4096;
constexpr std::uint64_t max_header_bytes = 1 << 20;
bool header_line(byte_source &in, std::string &line, bool &too_long) {
    line.clear();
    too_long = false;
    for (int c = in.get();; c = in.get()) {
        if (c < 0) {
            return false;
        }
        if (c == '\n') {
            break;
        }
        if (line.size() == max_header_line) {
            too_long = true;
            return false;
        }
        line.push_back(char(c));
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return true;
}

std::optional<std::uint64_t> parse_count(std::string_view text) {
    std::uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string read_header(byte_source &in, ply_header &header) {
    std::string line;
    bool too_long = false;
    std::uint64_t n = 0;
    bool format_seen = false;
    for (;;) {
        if (!header_line(in, line, too_long)) {
            return too_long ? at_line(n + 1) + "header line longer than 4096 characters"
                            : at_line(n + 1) + "the header has no end_header line";
        }
        ++n;
        if (in.offset() > max_header_bytes) {
            return at_line(n) + "the header is longer than 1 MiB";
        }
        const auto words = words_of(line);
        if (n == 1) {
            if (line != "ply") {
                return at_line(1) + "not a PLY file";
            }
            continue;
        }
        if (words.empty()) {
            return at_line(n) + "empty header line";
        }
        const std::string_view key = words[0];
        if (key == "comment" || key == "obj_info") {
            continue;
        }
        if (key == "end_header") {
            break;
        }
        if (key == "format") {
            if (words.size() != 3 || words[2] != "1.0") {
                return at_line(n) +
                       "expected 'format ascii|binary_little_endian|binary_big_endian 1.0'";
            }
            if (words[1] == "ascii") {
                header.format = ply_format::ascii;
            } else if (words[1] == "binary_little_endian") {
                header.format = ply_format::binary_little;
            } else if (words[1] == "binary_big_endian") {
                header.format = ply_format::binary_big;
            } else {
                return at_line(n) + "unknown format '" + std::string(words[1]) + "'";
            }
            format_seen = true;
        } else if (key == "element") {
            const auto count = words.size() == 3 ? parse_count(words[2]) : std::nullopt;
            if (!count) {
                return at_line(n) + "expected 'element NAME COUNT'";
            }
            header.elements.push_back({std::string(words[1]), *count, {}});
        } else if (key == "property") {
            if (header.elements.empty()) {
                return at_line(n) + "property before any element";
            }
            ply_property p;
            if (words.size() == 5 && words[1] == "list") {
                const auto count_type = type_named(words[2]);
                const auto item_type = type_named(words[3]);
                if (!count_type || !item_type) {
                    return at_line(n) + "unknown property type '" +
                           std::string(count_type ? words[3] : words[2]) + "'";
                }
                if (*count_type == ply_type::float32 || *count_type == ply_type::float64) {
                    return at_line(n) + "a list count must be of an integer type";
                }
                p = {std::string(words[4]), *item_type, true, *count_type};
            } else if (words.size() == 3) {
                const auto type = type_named(words[1]);
                if (!type) {
                    return at_line(n) + "unknown property type '" + std::string(words[1]) + "'";
                }
                p = {std::string(words[2]), *type, false, ply_type::uint8};
            } else {
                return at_line(n) +
                       "expected 'property TYPE NAME' or 'property list TYPE TYPE NAME'";
            }
            header.elements.back().properties.push_back(p);
        } else {
            return at_line(n) + "unknown header keyword '" + std::string(key) + "'";
        }
    }
    if (!format_seen) {
        return at_line(n) + "the header has no format line";
    }
    header.lines = n;
    return {};
}

// Where the vertex element keeps what we draw.
struct vertex_layout {
    int x = -1, y = -1, z = -1, red = -1, green = -1, blue = -1;
};

std::string find_vertex_layout(const ply_element &vertex, vertex_layout &layout) {
    for (std::size_t i = 0; i < vertex.properties.size(); ++i) {
        const ply_property &p = vertex.properties[i];
        int *slot = p.name == "x"       ? &layout.x
                    : p.name == "y"     ? &layout.y
                    : p.name == "z"     ? &layout.z
                    : p.name == "red"   ? &layout.red
                    : p.name == "green" ? &layout.green
                    : p.name == "blue"  ? &layout.blue
                                        : nullptr;
        if (slot != nullptr) {
            if (p.is_list) {
                return "vertex property '" + p.name + "' is a list";
            }
            *slot = int(i);
        }
    }
    for (auto [slot, name] : {std::pair{layout.x, "x"}, {layout.y, "y"}, {layout.z, "z"}}) {
        if (slot < 0) {
            return "the vertex element has no '" + std::string(name) + "' property";
        }
    }
    if ((layout.red < 0) != (layout.green < 0) || (layout.red < 0) != (layout.blue < 0)) {
        return "the vertex element has some but not all of red, green and blue";
    }
    return {};
}

// A colour channel to 0..255: 8-bit as it is, 16-bit by its high byte, floating 0..1 scaled,
// other integers clamped.
std::uint32_t channel(double v, ply_type t) {
    double scaled = v;
    switch (t) {
    case ply_type::uint16:
    case ply_type::int16:
        scaled = v / 257.0;
        break;
    case ply_type::float32:
    case ply_type::float64:
        scaled = v * 255.0;
        break;
    default:
        break;
    }
    if (!(scaled > 0.0)) {
        return 0;
    }
    return scaled >= 255.0 ? 255u : std::uint32_t(std::lround(scaled));
}

// ---- binary ----

double decode(const unsigned char *bytes, ply_type t, bool swap) {
    unsigned char b[8];
    const int n = type_size(t);
    for (int i = 0; i < n; ++i) {
        b[i] = swap ? bytes[n - 1 - i] : bytes[i];
    }
    switch (t) {
    case ply_type::int8:
        return double(std::int8_t(b[0]));
    case ply_type::uint8:
        return double(b[0]);
    case ply_type::int16: {
        std::int16_t v;
        std::memcpy(&v, b, 2);
        return v;
    }
    case ply_type::uint16: {
        std::uint16_t v;
        std::memcpy(&v, b, 2);
        return v;
    }
    case ply_type::int32: {
        std::int32_t v;
        std::memcpy(&v, b, 4);
        return v;
    }
    case ply_type::uint32: {
        std::uint32_t v;
        std::memcpy(&v, b, 4);
        return v;
    }
    case ply_type::float32: {
        float v;
        std::memcpy(&v, b, 4);
        return v;
    }
    case ply_type::float64:
        break;
    }
    double v;
    std::memcpy(&v, b, 8);
    return v;
}

std::string truncated(const byte_source &in, const ply_element &e, std::uint64_t index) {
    return at_byte(in.offset()) + "the data ends in " + e.name + " " + std::to_string(index) +
           " of " + std::to_string(e.count);
}

// One instance of an element with list properties, property by property: scalar values land in
// `values`, list items are skipped.
std::string read_binary_instance(byte_source &in, const ply_element &e, std::uint64_t index,
                                 bool swap, std::vector<double> &values) {
    unsigned char value[8];
    for (std::size_t k = 0; k < e.properties.size(); ++k) {
        const ply_property &p = e.properties[k];
        const int n = type_size(p.is_list ? p.count_type : p.type);
        if (in.read(value, std::size_t(n)) != std::size_t(n)) {
            return truncated(in, e, index);
        }
        values[k] = decode(value, p.is_list ? p.count_type : p.type, swap);
        if (p.is_list) {
            if (values[k] < 0) {
                return at_byte(in.offset() - std::uint64_t(n)) + "negative list length";
            }
            const std::uint64_t bytes = std::uint64_t(type_size(p.type)) * std::uint64_t(values[k]);
            if (in.skip(bytes) != bytes) {
                return truncated(in, e, index);
            }
        }
    }
    return {};
}

std::string skip_binary(byte_source &in, const ply_element &e, bool swap) {
    if (!e.has_lists()) {
        // One skip for the lot: the header check has bounded count * size by the input's size,
        // and an element without properties takes no bytes however large its count.
        const std::uint64_t size = e.min_binary_size();
        const std::uint64_t got = size == 0 ? 0 : in.skip(e.count * size);
        return got == e.count * size ? std::string() : truncated(in, e, got / size);
    }
    std::vector<double> values(e.properties.size());
    for (std::uint64_t i = 0; i < e.count; ++i) {
        if (auto error = read_binary_instance(in, e, i, swap, values); !error.empty()) {
            return error;
        }
    }
    return {};
}

void add_vertex(const std::vector<double> &values, const ply_element &e, const vertex_layout &at,
                point_cloud &cloud) {
    const auto &p = e.properties;
    std::uint32_t colour = 255;
    if (at.red >= 0) {
        colour = pack_colour(channel(values[std::size_t(at.red)], p[std::size_t(at.red)].type),
                             channel(values[std::size_t(at.green)], p[std::size_t(at.green)].type),
                             channel(values[std::size_t(at.blue)], p[std::size_t(at.blue)].type));
    }
    cloud.add(values[std::size_t(at.x)], values[std::size_t(at.y)], values[std::size_t(at.z)],
              colour);
}

std::string read_binary_vertices(byte_source &in, const ply_element &e, const vertex_layout &at,
                                 bool swap, point_cloud &cloud) {
    std::vector<int> offsets; // of each property within one vertex
    int stride = 0;
    for (const ply_property &p : e.properties) {
        offsets.push_back(stride);
        stride += type_size(p.type);
    }
    std::vector<int> wanted = {at.x, at.y, at.z};
    if (at.red >= 0) {
        wanted.insert(wanted.end(), {at.red, at.green, at.blue});
    }
    std::vector<double> values(e.properties.size());
    // Whole blocks of vertices per read: one copy, no per-vertex call into the stream.
    const std::uint64_t per_block = std::max<std::uint64_t>(1, (1u << 16) / std::uint64_t(stride));
    std::vector<unsigned char> block(std::size_t(per_block) * std::size_t(stride));
    for (std::uint64_t first = 0; first < e.count; first += per_block) {
        const std::uint64_t n = std::min(per_block, e.count - first);
        const std::size_t want = std::size_t(n) * std::size_t(stride);
        const std::size_t got = in.read(block.data(), want);
        if (got != want) {
            return truncated(in, e, first + got / std::size_t(stride));
        }
        for (std::uint64_t k = 0; k < n; ++k) {
            const unsigned char *v = block.data() + std::size_t(k) * std::size_t(stride);
            for (int i : wanted) {
                values[std::size_t(i)] =
                    decode(v + offsets[std::size_t(i)], e.properties[std::size_t(i)].type, swap);
            }
            add_vertex(values, e, at, cloud);
        }
    }
    return {};
}

// ---- ascii ----

// Whitespace-separated numbers, counting lines for error messages.
class ascii_tokens {
  public:
    ascii_tokens(byte_source &in, std::uint64_t line) : in_(in), line_(line) {}

    std::uint64_t line() const { return line_; }

    // The next number; an empty error when there is one.
    std::string next(double &value) {
        line_ += pending_newline_;
        pending_newline_ = 0;
        int c = in_.get();
        while (is_space(c)) {
            line_ += c == '\n';
            c = in_.get();
        }
        if (c < 0) {
            return at_line(line_) + "the data ends before the header's count";
        }
        token_.clear();
        while (c >= 0 && !is_space(c)) {
            if (token_.size() == 64) {
                return at_line(line_) + "number too long";
            }
            token_.push_back(char(c));
            c = in_.get();
        }
        pending_newline_ = c == '\n';
        const char *begin = token_.data() + (token_[0] == '+' ? 1 : 0);
        const auto [end, ec] = std::from_chars(begin, token_.data() + token_.size(), value);
        if (ec == std::errc::result_out_of_range) {
            value = std::numeric_limits<double>::infinity();
        } else if (ec != std::errc() || end != token_.data() + token_.size()) {
            return at_line(line_) + "not a number: '" + token_ + "'";
        }
        return {};
    }

    std::string list_length(double &items) {
        if (auto error = next(items); !error.empty()) {
            return error;
        }
        if (!(items >= 0) || items != std::floor(items) || items > 1e9) {
            return at_line(line_) + "bad list length";
        }
        return {};
    }

  private:
    static bool is_space(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

    byte_source &in_;
    std::uint64_t line_;
    std::uint64_t pending_newline_ = 0;
    std::string token_;
};

std::string read_binary_vertices_with_lists(byte_source &in, const ply_element &e,
                                            const vertex_layout &at, bool swap,
                                            point_cloud &cloud) {
    std::vector<double> values(e.properties.size());
    for (std::uint64_t i = 0; i < e.count; ++i) {
        if (auto error = read_binary_instance(in, e, i, swap, values); !error.empty()) {
            return error;
        }
        add_vertex(values, e, at, cloud);
    }
    return {};
}

std::string read_ascii_element(ascii_tokens &tokens, const ply_element &e, const vertex_layout *at,
                               point_cloud *cloud) {
    if (e.properties.empty()) {
        return {}; // nothing to read, however large the count
    }
    std::vector<double> values(e.properties.size());
    for (std::uint64_t i = 0; i < e.count; ++i) {
        for (std::size_t k = 0; k < e.properties.size(); ++k) {
            double v = 0;
            if (e.properties[k].is_list) {
                if (auto error = tokens.list_length(v); !error.empty()) {
                    return error;
                }
                for (double item = 0, n = v; n > 0; --n) {
                    if (auto error = tokens.next(item); !error.empty()) {
                        return error;
                    }
                }
            } else if (auto error = tokens.next(v); !error.empty()) {
                return error;
            }
            values[k] = v;
        }
        if (cloud != nullptr) {
            add_vertex(values, e, *at, *cloud);
        }
    }
    return {};
}

// Refuses a header whose counts the rest of the input could not hold, before any allocation.
std::string check_counts(const ply_header &header, std::uint64_t data_bytes,
                         std::uint64_t header_end) {
    std::uint64_t least = 0;
    for (const ply_element &e : header.elements) {
        // Binary: the fixed part of each instance. Ascii: a digit and a separator per value.
        const std::uint64_t each = header.format == ply_format::ascii
                                       ? 2 * std::uint64_t(e.properties.size())
                                       : e.min_binary_size();
        if (each != 0 && e.count > (data_bytes + 1) / each) {
            return at_byte(header_end) + "element '" + e.name + "' claims " +
                   std::to_string(e.count) + " entries, more than the " +
                   std::to_string(data_bytes) + " bytes after the header can hold";
        }
        least += e.count * each;
        if (least > data_bytes + 1) {
            return at_byte(header_end) + "the elements claim more data than the " +
                   std::to_string(data_bytes) + " bytes after the header";
        }
    }
    return {};
}

} // namespace

cloud_result read_ply(byte_source &in, std::uint64_t size) {
    cloud_result result;
    ply_header header;
    if (auto error = read_header(in, header); !error.empty()) {
        result.error = error;
        return result;
    }
    const auto vertex = std::find_if(header.elements.begin(), header.elements.end(),
                                     [](const ply_element &e) { return e.name == "vertex"; });
    if (vertex == header.elements.end()) {
        result.error = at_line(header.lines) + "the header has no vertex element";
        return result;
    }
    vertex_layout layout;
    if (auto error = find_vertex_layout(*vertex, layout); !error.empty()) {
        result.error = at_line(header.lines) + error;
        return result;
    }
    if (vertex->count > max_cloud_points) {
        result.error =
            at_line(header.lines) + "more than " + std::to_string(max_cloud_points) + " vertices";
        return result;
    }
    const std::uint64_t header_end = in.offset();
    if (auto error = check_counts(header, size > header_end ? size - header_end : 0, header_end);
        !error.empty()) {
        result.error = error;
        return result;
    }
    result.cloud.records.reserve(std::size_t(vertex->count) * 4);

    const bool swap =
        (header.format == ply_format::binary_big) != (std::endian::native == std::endian::big);
    ascii_tokens tokens(in, header.lines + 1);
    for (const ply_element &e : header.elements) {
        const bool is_vertex = &e == &*vertex;
        std::string error;
        if (header.format == ply_format::ascii) {
            error = read_ascii_element(tokens, e, is_vertex ? &layout : nullptr,
                                       is_vertex ? &result.cloud : nullptr);
        } else if (is_vertex && !e.has_lists()) {
            error = read_binary_vertices(in, e, layout, swap, result.cloud);
        } else if (is_vertex) {
            error = read_binary_vertices_with_lists(in, e, layout, swap, result.cloud);
        } else {
            error = skip_binary(in, e, swap);
        }
        if (!error.empty()) {
            result.error = error;
            return result;
        }
        if (is_vertex) {
            break; // nothing after the vertices is drawn
        }
    }
    return result;
}
