// Reading point clouds: the formats, what is skipped, the colours, and broken files.
#include "point_cloud.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct sample {
    float x, y, z;
    unsigned r, g, b;
};

const std::vector<sample> samples = {
    {0, 0, 0, 255, 0, 0},
    {1.5f, -2.25f, 3e3f, 0, 255, 0},
    {-0.1f, 0.2f, -0.3f, 0, 0, 255},
    {123456.7f, -9.5e-3f, 42, 17, 34, 51},
    {-1e6f, 1e-6f, 7, 255, 255, 255},
};

std::vector<float> expected_records() {
    std::vector<float> records;
    for (const sample &s : samples) {
        records.insert(records.end(), {s.x, s.y, s.z, float(s.r << 16 | s.g << 8 | s.b)});
    }
    return records;
}

class temp_dir {
  public:
    temp_dir() : path_(fs::temp_directory_path() / ("voxel-cloud-" + std::to_string(::getpid()))) {
        fs::create_directories(path_);
    }
    ~temp_dir() { fs::remove_all(path_); }
    std::string write(const std::string &name, const std::string &bytes) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << bytes;
        return file.string();
    }

  private:
    fs::path path_;
};

template <class T> std::string binary(T value, bool big_endian) {
    std::string bytes(sizeof(T), '\0');
    std::memcpy(bytes.data(), &value, sizeof(T));
    if (big_endian != (std::endian::native == std::endian::big)) {
        std::reverse(bytes.begin(), bytes.end());
    }
    return bytes;
}

std::string number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", v);
    return text;
}

std::string ply_header(const std::string &format, const std::string &body) {
    return "ply\nformat " + format + " 1.0\n" + body + "end_header\n";
}

const std::string xyz_rgb_vertex = "element vertex 5\nproperty float x\nproperty float y\n"
                                   "property float z\nproperty uchar red\nproperty uchar green\n"
                                   "property uchar blue\n";

std::string as_ascii_ply() {
    std::string text = ply_header("ascii", "comment five points\nobj_info test\n" + xyz_rgb_vertex);
    for (const sample &s : samples) {
        text += number(s.x) + " " + number(s.y) + " " + number(s.z) + " " + std::to_string(s.r) +
                " " + std::to_string(s.g) + " " + std::to_string(s.b) + "\n";
    }
    return text;
}

std::string as_binary_ply(bool big) {
    std::string bytes =
        ply_header(big ? "binary_big_endian" : "binary_little_endian", xyz_rgb_vertex);
    for (const sample &s : samples) {
        bytes += binary(s.x, big) + binary(s.y, big) + binary(s.z, big) +
                 binary(std::uint8_t(s.r), big) + binary(std::uint8_t(s.g), big) +
                 binary(std::uint8_t(s.b), big);
    }
    return bytes;
}

std::string as_xyz() {
    std::string text = "# x y z r g b\r\n\r\n";
    for (const sample &s : samples) {
        text += number(s.x) + ",\t" + number(s.y) + " " + number(s.z) + ", " + std::to_string(s.r) +
                " " + std::to_string(s.g) + "\t" + std::to_string(s.b) + "\r\n";
    }
    return text;
}

cloud_result load(const temp_dir &dir, const std::string &bytes, const std::string &name = "f") {
    return load_point_cloud(dir.write(name, bytes));
}

TEST(LoadPointCloud, TheSameCloudInEveryFormatGivesTheSameRecords) {
    temp_dir dir;
    const struct {
        const char *format;
        std::string bytes;
    } files[] = {
        {"ascii PLY", as_ascii_ply()},
        {"little-endian PLY", as_binary_ply(false)},
        {"big-endian PLY", as_binary_ply(true)},
        {"XYZ", as_xyz()},
    };
    for (const auto &f : files) {
        const auto result = load(dir, f.bytes, "cloud.dat");
        EXPECT_EQ(result.error, "") << f.format;
        EXPECT_EQ(result.cloud.records, expected_records()) << f.format;
        EXPECT_EQ(result.cloud.non_finite, 0u) << f.format;
    }
}

TEST(LoadPointCloud, SkipsOtherElementsAndPropertiesByTheirLayout) {
    temp_dir dir;
    // Before the vertices an element with a list; inside them extra scalars and a list; after
    // them faces. All type names of both spellings, double coordinates.
    const std::string header_body = "element material 2\nproperty int8 id\n"
                                    "property list uint8 float32 weights\n"
                                    "element vertex 2\nproperty double x\nproperty int16 tag\n"
                                    "property float64 y\nproperty list ushort int hits\n"
                                    "property uint32 flags\nproperty double z\n"
                                    "element face 1\nproperty list uchar int vertex_indices\n";
    for (bool big : {false, true}) {
        std::string bytes =
            ply_header(big ? "binary_big_endian" : "binary_little_endian", header_body);
        bytes += binary(std::int8_t(1), big) + binary(std::uint8_t(2), big) + binary(0.5f, big) +
                 binary(0.25f, big);
        bytes += binary(std::int8_t(2), big) + binary(std::uint8_t(0), big);
        for (double v : {1.0, -2.0}) {
            bytes += binary(v, big) + binary(std::int16_t(-7), big) + binary(v * 10, big) +
                     binary(std::uint16_t(3), big) + binary(std::int32_t(1), big) +
                     binary(std::int32_t(2), big) + binary(std::int32_t(3), big) +
                     binary(std::uint32_t(0xFFFFFFFF), big) + binary(v * 100, big);
        }
        bytes += binary(std::uint8_t(3), big) + binary(0, big) + binary(1, big) + binary(1, big);
        const auto result = load(dir, bytes);
        EXPECT_EQ(result.error, "") << big;
        EXPECT_EQ(result.cloud.records, (std::vector<float>{1, 10, 100, 255, -2, -20, -200, 255}))
            << (big ? "big" : "little") << "-endian";
    }
    const std::string ascii = ply_header("ascii", header_body) +
                              "1 2 0.5 0.25\n2 0\n1 -7 10 3 1 2 3 4294967295 100\n"
                              "-2 -7 -20 0 0 -200\n3 0 1 1\n";
    const auto result = load(dir, ascii);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.cloud.records, (std::vector<float>{1, 10, 100, 255, -2, -20, -200, 255}));
}

TEST(LoadPointCloud, HugeElementsWithoutPropertiesTakeNoTime) {
    temp_dir dir;
    const std::string empty_element = "element nothing 18446744073709551615\n";
    const std::string vertex = "element vertex 1\nproperty float x\nproperty float y\n"
                               "property float z\n";
    const auto ascii = load(dir, ply_header("ascii", empty_element + vertex) + "1 2 3\n");
    EXPECT_EQ(ascii.error, "");
    EXPECT_EQ(ascii.cloud.records, (std::vector<float>{1, 2, 3, 255}));
    const auto little =
        load(dir, ply_header("binary_little_endian", empty_element + vertex) + binary(1.0f, false) +
                      binary(2.0f, false) + binary(3.0f, false));
    EXPECT_EQ(little.error, "");
    EXPECT_EQ(little.cloud.records, (std::vector<float>{1, 2, 3, 255}));
}

TEST(LoadPointCloud, ColoursFromEightBitSixteenBitAndFloatChannels) {
    temp_dir dir;
    struct row {
        const char *type;
        std::string values; // r g b of one vertex
        float colour;
    };
    const row rows[] = {
        {"uchar", "255 128 0", float(0xFF8000)},
        {"uint8", "1 2 3", float(0x010203)},
        {"ushort", "65535 32896 0", float(0xFF8000)},
        {"float", "1.0 0.5 0", float(0xFF8000)},
        {"double", "0 0.25 2.0", float(0x0040FF)}, // clamped above 1
        {"float", "-1 0 0", 0.0f},                 // clamped below 0
    };
    for (const row &r : rows) {
        const std::string type = r.type;
        const std::string text = ply_header("ascii", "element vertex 1\nproperty float x\n"
                                                     "property float y\nproperty float z\n"
                                                     "property " +
                                                         type + " red\nproperty " + type +
                                                         " green\nproperty " + type + " blue\n") +
                                 "0 0 0 " + r.values + "\n";
        const auto result = load(dir, text);
        ASSERT_EQ(result.error, "") << r.type << " " << r.values;
        EXPECT_EQ(result.cloud.records[3], r.colour) << r.type << " " << r.values;
    }
}

TEST(LoadPointCloud, XyzColoursAndLayout) {
    temp_dir dir;
    struct row {
        const char *text;
        std::vector<float> records;
    };
    const row rows[] = {
        {"1 2 3\n", {1, 2, 3, 255}},
        {"  1\t2,3  # trailing comment\n\n#only a comment\n", {1, 2, 3, 255}},
        {"1 2 3 255 0 0", {1, 2, 3, float(0xFF0000)}},
        {"1 2 3 1.0 0.5 0\r\n", {1, 2, 3, float(0xFF8000)}},
        {"1 2 3 1 1 1\n", {1, 2, 3, float(0x010101)}}, // whole numbers are 0-255
        {"1 2 3 1e0 0 0\n", {1, 2, 3, float(0xFF0000)}},
        {"1 2 3 128.0 64.0 0\n", {1, 2, 3, float(0x804000)}},
        {"+1 -2 3.5e1\n", {1, -2, 35, 255}},
    };
    for (const row &r : rows) {
        const auto result = load(dir, r.text);
        EXPECT_EQ(result.error, "") << r.text;
        EXPECT_EQ(result.cloud.records, r.records) << r.text;
    }
}

TEST(LoadPointCloud, NonFiniteCoordinatesAreLeftOutAndCounted) {
    temp_dir dir;
    const auto result = load(dir, "1 2 3\nnan 0 0\n0 inf 0\n4 5 6\n0 0 1e39\n");
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.cloud.records, (std::vector<float>{1, 2, 3, 255, 4, 5, 6, 255}));
    EXPECT_EQ(result.cloud.non_finite, 3u);

    std::string bytes =
        ply_header("binary_little_endian", "element vertex 2\nproperty float x\nproperty float y\n"
                                           "property float z\n");
    bytes += binary(std::nanf(""), false) + binary(0.0f, false) + binary(0.0f, false);
    bytes += binary(1.0f, false) + binary(2.0f, false) + binary(3.0f, false);
    const auto ply = load(dir, bytes);
    EXPECT_EQ(ply.cloud.records, (std::vector<float>{1, 2, 3, 255}));
    EXPECT_EQ(ply.cloud.non_finite, 1u);
}

TEST(LoadPointCloud, BrokenFilesGiveOneLineNamingTheFileAndThePlace) {
    temp_dir dir;
    const std::string xyz_vertex = "element vertex 2\nproperty float x\nproperty float y\n"
                                   "property float z\n";
    std::string short_binary = ply_header("binary_little_endian", xyz_vertex);
    short_binary +=
        binary(1.0f, false) + binary(2.0f, false) + binary(3.0f, false) + binary(4.0f, false);
    struct row {
        std::string bytes;
        std::string message; // after "PATH: "
    };
    const row rows[] = {
        {"", "the file holds no points"},
        {"# nothing but a comment\n\n", "the file holds no points"},
        {"nan nan nan\n", "no point has finite coordinates"},
        {std::string("\x7f"
                     "ELF\x02\x01",
                     6),
         "unknown format: neither PLY nor XYZ text"},
        {"1 2 3\n4 5\n", "line 2: expected 3 numbers (x y z) or 6 (x y z r g b), found 2 fields"},
        {"1 2 3\n\n1 2 x\n", "line 3: not a number: 'x'"},
        {"1 2 3 300 0 0\n",
         "line 1: colour '300' is neither a whole number 0-255 nor a fraction 0..1"},
        {"1 2 3 0.5 0 -1\n",
         "line 1: colour '-1' is neither a whole number 0-255 nor a fraction 0..1"},
        {"1 2 3\n1 2 3 4\n",
         "line 2: expected 3 numbers (x y z) or 6 (x y z r g b), found 4 fields"},
        {"ply\nformat ascii 1.0\n" + xyz_vertex, "line 7: the header has no end_header line"},
        {"ply\n" + xyz_vertex + "end_header\n", "line 6: the header has no format line"},
        {"ply\nformat ascii 2.0\nend_header\n",
         "line 2: expected 'format ascii|binary_little_endian|binary_big_endian 1.0'"},
        {"ply\nformat binary_middle_endian 1.0\nend_header\n",
         "line 2: unknown format 'binary_middle_endian'"},
        {ply_header("ascii", "element vertex 1\nproperty float128 x\n"),
         "line 4: unknown property type 'float128'"},
        {ply_header("ascii", "element vertex 1\nproperty list float int x\n"),
         "line 4: a list count must be of an integer type"},
        {ply_header("ascii", "property float x\n"), "line 3: property before any element"},
        {ply_header("ascii", "element vertex x\n"), "line 3: expected 'element NAME COUNT'"},
        {ply_header("ascii", "elephant 1\n"), "line 3: unknown header keyword 'elephant'"},
        {ply_header("ascii", "element face 0\n"), "line 4: the header has no vertex element"},
        {ply_header("ascii", "element vertex 1\nproperty float x\nproperty float y\n"),
         "line 6: the vertex element has no 'z' property"},
        {ply_header("ascii", xyz_vertex) + "1 2 3\n4    5\n",
         "line 10: the data ends before the header's count"},
        {ply_header("ascii", xyz_vertex) + "1 2 3\n4 five 6\n", "line 9: not a number: 'five'"},
        {short_binary, "byte 115: element 'vertex' claims 2 entries, more than the 16 bytes after "
                       "the header can hold"},
        {ply_header("binary_little_endian",
                    "element vertex 100000000\nproperty float x\nproperty float y\n"
                    "property float z\n") +
             std::string(24, '\0'),
         "byte 123: element 'vertex' claims 100000000 entries, more than the 24 bytes after the "
         "header can hold"},
        {ply_header("binary_little_endian",
                    "element vertex 1000000000000\nproperty float x\nproperty float y\n"
                    "property float z\n"),
         "line 7: more than 268435456 vertices"},
        {ply_header("binary_little_endian",
                    "element face 3\nproperty list uchar int idx\n" + xyz_vertex) +
             "\x05" + std::string(20, '\0') + "\xff" + std::string(5, '\0'),
         "byte 185: the data ends in face 1 of 3"},
    };
    for (const row &r : rows) {
        const std::string path = dir.write("broken", r.bytes);
        const auto result = load_point_cloud(path);
        EXPECT_EQ(result.error, path + ": " + r.message) << r.bytes;
        EXPECT_EQ(result.error.find('\n'), std::string::npos);
    }
}

TEST(LoadPointCloud, MissingAndUnreadablePathsAreErrors) {
    temp_dir dir;
    EXPECT_EQ(load_point_cloud("/nonexistent/cloud.ply").error,
              "/nonexistent/cloud.ply: No such file or directory");
    EXPECT_EQ(load_point_cloud(fs::temp_directory_path().string()).error,
              fs::temp_directory_path().string() + ": not a regular file");
}

TEST(FitCloud, CentresOnTheBoundingBoxAndScalesTheLargestHalfExtentTo450) {
    point_cloud cloud;
    cloud.add(10, 0, 5, 1);
    cloud.add(30, 4, 5, 2);
    cloud.add(20, 2, 7, 3);
    fit_cloud(cloud, 450.0f);
    // Centre (20, 2, 6); largest half-extent 10 (x): factor 45.
    EXPECT_EQ(cloud.records, (std::vector<float>{-450, -90, -45, 1, 450, 90, -45, 2, 0, 0, 45, 3}));

    point_cloud single;
    single.add(3, 4, 5, 9);
    fit_cloud(single, 450.0f);
    EXPECT_EQ(single.records, (std::vector<float>{0, 0, 0, 9}));
}

} // namespace
