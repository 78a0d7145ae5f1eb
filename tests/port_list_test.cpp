#include "kest/port_list.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace kest::cli {
namespace {

TEST(PortList, FromOptionsListsTheVariableOrEveryPort) {
    using All = std::optional<std::vector<std::string>>;
    const struct {
        std::vector<std::string> given;
        const char* variable;
        All all;
        std::vector<std::string> ports;
        std::string error;  // the start of it
    } cases[] = {
        {{"/dev/ttyUSB0"}, "COM9", {}, {"/dev/ttyUSB0"}, ""},
        {{"a", "b,c"}, nullptr, {}, {"a", "b", "c"}, ""},
        {{}, "a,b", {}, {"a", "b"}, ""},
        {{}, "", {}, {}, "no port: give --port DEVICE or set KEST_PORT"},
        {{}, "a", All{{"COM1", "COM3"}}, {"COM1", "COM3"}, ""},
        {{"a"}, nullptr, All{{"COM1"}}, {}, "--all-ports and --port exclude each other"},
        {{}, nullptr, All{std::vector<std::string>{}}, {}, "--all-ports: no serial port found"},
        {{"a,,b"}, nullptr, {}, {}, "an empty port name"},
        {{"a", "b,a"}, nullptr, {}, {}, "a is named twice"},
    };
    for (const auto& c : cases) {
        const PortList list = port_list(c.given, c.variable, c.all);
        EXPECT_EQ(list.ports, c.ports);
        EXPECT_EQ(list.error.substr(0, c.error.size()), c.error) << list.error;
        EXPECT_EQ(list.error.empty(), c.error.empty());
    }
}

// Short names tell the ports apart, each is an end of its path in whole components, and
// none is longer than it must be.
TEST(PortList, ShortNamesAreTheShortestEndsThatTellThePortsApart) {
    std::mt19937 random(11);
    const char* parts[] = {"dev", "tmp", "a", "b", "tty", "ttyUSB0", "by-id"};
    auto ends = [](const std::string& path, const std::string& name) {
        return path.size() >= name.size() && path.compare(path.size() - name.size(), name.size(), name) == 0 &&
               (path.size() == name.size() || path[path.size() - name.size() - 1] == '/');
    };
    auto tail = [](const std::string& name) {  // the name one component shorter
        const auto slash = name.find('/');
        return slash == std::string::npos ? std::string() : name.substr(slash + 1);
    };
    for (int round = 0; round < 300; ++round) {
        std::set<std::string> unique;
        const int count = std::uniform_int_distribution<int>(1, 5)(random);
        while (static_cast<int>(unique.size()) < count) {
            std::string path;
            for (int n = std::uniform_int_distribution<int>(1, 4)(random); n > 0; --n)
                path += std::string("/") + parts[std::uniform_int_distribution<int>(0, 6)(random)];
            unique.insert(path);
        }
        const std::vector<std::string> ports(unique.begin(), unique.end());
        const std::vector<std::string> names = short_port_names(ports);
        ASSERT_EQ(names.size(), ports.size());
        for (std::size_t i = 0; i < ports.size(); ++i) {
            SCOPED_TRACE(ports[i] + " -> " + names[i]);
            EXPECT_TRUE(ends(ports[i], names[i]));
            for (std::size_t j = 0; j < i; ++j) EXPECT_NE(names[i], names[j]);
            const std::string shorter = tail(names[i]);
            if (shorter.empty()) continue;
            bool clash = false;
            for (std::size_t j = 0; j < ports.size(); ++j) clash = clash || (j != i && ends(ports[j], shorter));
            EXPECT_TRUE(clash) << "a shorter name would do";
        }
    }
    EXPECT_EQ(short_port_names({"COM3", "/dev/ttyUSB0"}), (std::vector<std::string>{"COM3", "ttyUSB0"}));
}

TEST(PortList, DataFilesAreNamedByPortAndMinute) {
    const LocalTime t{2026, 12, 8, 14, 3, 59};
    EXPECT_EQ(data_file_name("ttyUSB0", t), "ttyUSB0-20261208-1403.txt");
    EXPECT_EQ(data_file_name("a/tty", t, 3), "a-tty-20261208-1403-3.txt");
    EXPECT_TRUE(names_folder("daten/"));
    EXPECT_FALSE(names_folder("daten.txt"));
}

}  // namespace
}  // namespace kest::cli
