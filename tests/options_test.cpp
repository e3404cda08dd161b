#include "options.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

parse_result parse(std::vector<std::string> words) {
    std::vector<char *> argv{const_cast<char *>("voxel-demo")};
    for (auto &w : words) {
        argv.push_back(w.data());
    }
    return parse_options(int(argv.size()), argv.data());
}

TEST(ParseOptions, NoOptionsIsThePlainEndlessDemo) {
    const auto r = parse({});
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.opts.frames, 0);
    EXPECT_FALSE(r.opts.headless);
    EXPECT_EQ(r.opts.screenshot, "");
}

TEST(ParseOptions, AcceptsEveryOption) {
    const auto r = parse({"--headless", "--frames", "90", "--screenshot", "f.png"});
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.opts.frames, 90);
    EXPECT_TRUE(r.opts.headless);
    EXPECT_EQ(r.opts.screenshot, "f.png");
    EXPECT_TRUE(parse({"--help"}).opts.help);
}

TEST(ParseOptions, RendererOptions) {
    const auto r =
        parse({"--threads", "2", "--cube-size", "100", "--simd", "scalar", "--benchmark"});
    EXPECT_EQ(r.error, "");
    EXPECT_EQ(r.opts.threads, 2);
    EXPECT_EQ(r.opts.cube_size, 100);
    EXPECT_EQ(r.opts.simd, simd_level::scalar);
    EXPECT_TRUE(r.opts.benchmark);
    EXPECT_EQ(parse({}).opts.cube_size, 25);
    EXPECT_EQ(parse({}).opts.threads, 0) << "one per core";
}

TEST(ParseOptions, ObjectListKeepsTheOrderGiven) {
    using enum scene_object;
    EXPECT_EQ(parse({}).opts.objects, (std::vector<scene_object>{cube}));
    EXPECT_EQ(parse({"--object", "model,axes"}).opts.objects,
              (std::vector<scene_object>{model, axes}));
    EXPECT_EQ(parse({"--object", "axes,cube,model"}).opts.objects,
              (std::vector<scene_object>{axes, cube, model}));
}

TEST(ParseOptions, RejectsBadInputWithOneLineNamingIt) {
    struct row {
        std::vector<std::string> words;
        std::string error;
    };
    const std::vector<row> rows = {
        {{"--fast"}, "unknown option '--fast'"},
        {{"frames"}, "unknown option 'frames'"},
        {{"--frames"}, "option --frames needs a value"},
        {{"--frames", "0"}, "option --frames needs a positive whole number, not '0'"},
        {{"--frames", "-3"}, "option --frames needs a positive whole number, not '-3'"},
        {{"--frames", "2.5"}, "option --frames needs a positive whole number, not '2.5'"},
        {{"--frames", "10x"}, "option --frames needs a positive whole number, not '10x'"},
        {{"--frames", " 7"}, "option --frames needs a positive whole number, not ' 7'"},
        {{"--frames", "99999999999999999999999"},
         "option --frames needs a positive whole number, not '99999999999999999999999'"},
        {{"--screenshot"}, "option --screenshot needs a value"},
        {{"--screenshot", ""}, "option --screenshot needs a file name"},
        {{"--object"}, "option --object needs a value"},
        {{"--load"}, "option --load needs a value"},
        {{"--load", ""}, "option --load needs a file name"},
        {{"--threads", "0"}, "option --threads needs a whole number from 1 to 256, not '0'"},
        {{"--threads", "257"}, "option --threads needs a whole number from 1 to 256, not '257'"},
        {{"--threads", "two"}, "option --threads needs a whole number from 1 to 256, not 'two'"},
        {{"--cube-size", "0"}, "option --cube-size needs a whole number from 1 to 100, not '0'"},
        {{"--cube-size", "101"},
         "option --cube-size needs a whole number from 1 to 100, not '101'"},
        {{"--cube-size", "-5"}, "option --cube-size needs a whole number from 1 to 100, not '-5'"},
        {{"--simd", "sse9"},
         "option --simd: unknown level 'sse9' (choose from scalar, avx2, avx512)"},
        {{"--object", ""}, "option --object has an empty name in ''"},
        {{"--object", "cube,"}, "option --object has an empty name in 'cube,'"},
        {{"--object", "cube,,axes"}, "option --object has an empty name in 'cube,,axes'"},
        {{"--object", "rhino"},
         "option --object: unknown object 'rhino' (choose from cube, axes, model)"},
    };
    for (const row &r : rows) {
        const auto result = parse(r.words);
        EXPECT_EQ(result.error, r.error);
        EXPECT_EQ(result.error.find('\n'), std::string::npos);
    }
}

} // namespace
