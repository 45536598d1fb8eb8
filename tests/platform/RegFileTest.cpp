#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/RegFile.h"

namespace magtune::platform {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

RegFileContents Parse(std::string_view text) {
    return ParseRegFile(BytesOf(text));
}

const Bytes kDcb = {0x1C, 0x00, 0x00, 0x00, 0x80, 0x25, 0x00, 0x00, 0x11, 0x10,
                    0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x02, 0x08, 0x00,
                    0x00, 0x11, 0x13, 0x00, 0x00, 0x00, 0x00, 0x00};

// Two trees are equal when they hold the same keys and values in the same
// order, names compared exactly.
void ExpectSameKey(const RegistryTree::Key& a, const RegistryTree::Key& b) {
    EXPECT_EQ(a.name, b.name);
    ASSERT_EQ(a.values.size(), b.values.size()) << a.name;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        EXPECT_EQ(a.values[i].name, b.values[i].name);
        EXPECT_EQ(a.values[i].value, b.values[i].value) << a.values[i].name;
    }
    ASSERT_EQ(a.subKeys.size(), b.subKeys.size()) << a.name;
    for (std::size_t i = 0; i < a.subKeys.size(); ++i) {
        ExpectSameKey(a.subKeys[i], b.subKeys[i]);
    }
}

TEST(RegFileTest, WritesTheRegistryExportFormat) {
    RegistryTree tree;
    auto* settings = tree.create("Software\\Tarvik Veviriz Inc.\\Magtune\\Settings");
    settings->setValue("Current Com", RegValue::dword(10));
    settings->setValue("USB Log Enable", RegValue::dword(0xFFFFFFFF));
    auto* recent = tree.create("Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File1");
    recent->setValue("Name", RegValue::string("C:\\cards\\\"new\".cfg"));
    recent->setValue("Interface", RegValue::dword(1));
    recent->setValue("DCB", RegValue::binary(kDcb));

    const std::string expected =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList]\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File1]\n"
        "\"Name\"=\"C:\\\\cards\\\\\\\"new\\\".cfg\"\n"
        "\"Interface\"=dword:00000001\n"
        "\"DCB\"=hex:1c,00,00,00,80,25,00,00,11,10,00,00,00,00,00,08,00,02,08,00,00,11,\\\n"
        "  13,00,00,00,00,00\n"
        "\n"
        "[HKEY_CURRENT_USER\\Software\\Tarvik Veviriz Inc.\\Magtune\\Settings]\n"
        "\"Current Com\"=dword:0000000a\n"
        "\"USB Log Enable\"=dword:ffffffff\n"
        "\n";
    EXPECT_EQ(FormatRegFile(tree), expected);

    RegFileContents back = Parse(expected);
    ASSERT_TRUE(back.ok) << back.problem;
    ExpectSameKey(back.tree.root(), tree.root());
}

TEST(RegFileTest, ValuesThatAreNoPlainTextReadBackExactly) {
    RegistryTree tree;
    tree.root().setValue("at the root", RegValue::dword(7));
    auto* key = tree.create("Odd ]names[\\ lead and trail \\\"quoted\"");
    key->setValue("", RegValue::string("the default value"));
    key->setValue("back\\slash \"quote\" ;semi", RegValue::string(""));
    key->setValue("control", RegValue::string("line\r\nbreak\x01"));
    key->setValue("ansi \xE9", RegValue::string("caf\xE9"));
    key->setValue("no zero", RegValue{RegType::String, {'a', 'b'}});
    key->setValue("inner zero", RegValue{RegType::String, {'a', 0, 'b', 0}});
    key->setValue("short dword", RegValue{RegType::Dword, {1, 2, 3}});
    key->setValue("multi", RegValue{RegType::MultiString, {'a', 0, 0}});
    key->setValue("qword", RegValue{RegType::Qword, {1, 2, 3, 4, 5, 6, 7, 8}});
    key->setValue("type 0x12345", RegValue{static_cast<RegType>(0x12345), {9}});
    key->setValue("empty binary", RegValue::binary({}));
    Bytes big(300);
    for (std::size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<std::uint8_t>(i);
    }
    key->setValue("big", RegValue::binary(big));
    key->setValue(std::string(16383, 'n'), RegValue::dword(1));
    tree.create("Empty\\Keys\\Stay");

    std::string text = FormatRegFile(tree);
    RegFileContents back = Parse(text);
    ASSERT_TRUE(back.ok) << back.problem << " line " << back.line;
    ExpectSameKey(back.tree.root(), tree.root());
    EXPECT_EQ(FormatRegFile(back.tree), text);
    for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
         start = end + 1) {
        if (text.compare(start, 10, "\"big\"=hex:") == 0 || text.compare(start, 2, "  ") == 0) {
            EXPECT_LE(end - start, 80u);
        }
    }
}

TEST(RegFileTest, TextsBeyondAsciiAreUtf16AsTheRegistryEditorWritesThem) {
    const std::string key = "[HKEY_CURRENT_USER\\K]\n";
    struct Case {
        const char* name;
        RegValue value;   // in memory
        std::string hex;  // after "hex(1):"
    };
    const Case cases[] = {
        {"accent", RegValue::string("caf\xC3\xA9"), "63,00,61,00,66,00,e9,00,00,00"},
        {"beyond the first plane", RegValue::string("\xF0\x9F\x92\xB3"), "3d,d8,b3,dc,00,00"},
        {"control", RegValue::string("a\tb"), "61,00,09,00,62,00,00,00"},
        {"no UTF-8: bytes as they are", RegValue::string("caf\xE9"), "63,61,66,e9,00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegistryTree tree;
        tree.create("K")->setValue("v", c.value);
        std::string text = FormatRegFile(tree);
        EXPECT_NE(text.find("\"v\"=hex(1):" + c.hex + "\n"), std::string::npos) << text;
        RegFileContents back = Parse(text);
        ASSERT_TRUE(back.ok);
        EXPECT_EQ(back.tree.find("K")->findValue("v")->value, c.value);
    }
    // Files written before hold the UTF-8 bytes themselves.
    RegFileContents old = Parse("Windows Registry Editor Version 5.00\n\n" + key +
                                "\"v\"=hex(1):63,61,66,c3,a9,00\n");
    ASSERT_TRUE(old.ok);
    EXPECT_EQ(old.tree.find("K")->findValue("v")->value, RegValue::string("caf\xC3\xA9"));
}

TEST(RegFileTest, ReadsWhatAnEditorOrWindowsMayWrite) {
    const std::string crlf =
        "\xEF\xBB\xBF"
        "Windows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; written by hand\r\n"
        "[HKCU\\Software\\Test]\r\n"
        "\"Number\" = DWORD:0000FFFF\r\n"
        "@=\"default\"\r\n"
        "\"Bytes\"=hex: 01, 02 ,\\\r\n"
        "    03\r\n"
        "\r\n"
        "\"Multi\"=hex(7):61,00,00\r\n"
        "\"Gone\"=dword:1\r\n"
        "\"GONE\"=-\r\n"
        "[HKEY_CURRENT_USER\\Software\\Removed\\Below]\r\n"
        "\"x\"=dword:1\r\n"
        "[-HKEY_CURRENT_USER\\Software\\removed]\r\n";
    RegFileContents got = Parse(crlf);
    ASSERT_TRUE(got.ok) << got.problem << " line " << got.line;
    const auto* key = got.tree.find("software\\TEST");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 4u);
    EXPECT_EQ(key->findValue("number")->value, RegValue::dword(0xFFFF));
    EXPECT_EQ(key->findValue("")->value, RegValue::string("default"));
    EXPECT_EQ(key->findValue("Bytes")->value, RegValue::binary(Bytes{1, 2, 3}));
    EXPECT_EQ(key->findValue("Multi")->value, (RegValue{RegType::MultiString, {0x61, 0, 0}}));
    EXPECT_EQ(got.tree.find("Software\\Removed"), nullptr);

    // A Windows export is UTF-16 with a byte order mark.
    std::string plain = "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"Name\"=\"caf\xE9\"\n";
    Bytes utf16 = {0xFF, 0xFE};
    for (char c : plain) {
        utf16.push_back(static_cast<std::uint8_t>(c));
        utf16.push_back(0);
    }
    RegFileContents wide = ParseRegFile(utf16);
    ASSERT_TRUE(wide.ok) << wide.problem;
    EXPECT_EQ(wide.tree.find("A")->findValue("Name")->value, RegValue::string("caf\xE9"));
}

TEST(RegFileTest, RefusesMalformedFilesWithTheLine) {
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = "[HKEY_CURRENT_USER\\A]\n";
    struct Case {
        std::string text;
        std::size_t line;
    };
    const std::vector<Case> cases = {
        {"", 0},
        {"\n\n", 0},
        {"Windows Registry Editor Version 4.00\n", 1},
        {"\n[HKEY_CURRENT_USER\\A]\n", 2},
        {header + "\"a\"=dword:1\n", 2},
        {header + key + "\"a\"=dword:123456789\n", 3},
        {header + key + "\"a\"=dword:\n", 3},
        {header + key + "\"a\"=dword:xyz\n", 3},
        {header + key + "\"a\"=dword:-1\n", 3},
        {header + key + "\"a\"=hex:1g\n", 3},
        {header + key + "\"a\"=hex:123\n", 3},
        {header + key + "\"a\"=hex:01,,02\n", 3},
        {header + key + "\"a\"=hex(zz):01\n", 3},
        {header + key + "\"a\"=hex(1:01\n", 3},
        {header + key + "\"a\"=\"abc\n", 3},
        {header + key + "\"a\"=\"c:\\temp\"\n", 3},
        {header + key + "\"a\"=\"x\" y\n", 3},
        {header + key + "\"a\"=x\n", 3},
        {header + key + "\"a\"\n", 3},
        {header + key + "\"a=dword:1\n", 3},
        {header + key + "\"a\\q\"=dword:1\n", 3},
        {header + key + "\"a\rb\"=dword:1\n", 3},
        {header + key + "\"a\"=hex:01,\\\n", 3},
        {header + key + "hello\n", 3},
        {header + "[HKEY_LOCAL_MACHINE\\A]\n", 2},
        {header + "[HKEY_CURRENT_USER\\]\n", 2},
        {header + "[HKEY_CURRENT_USER\\A\\\\B]\n", 2},
        {header + "[HKEY_CURRENT_USER\\A\n", 2},
        {header + "[-HKEY_CURRENT_USER]\n", 2},
        {header + "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\n", 2},
        {header + key + "[-HKEY_CURRENT_USER\\A]\n\"a\"=dword:1\n", 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        RegFileContents got = Parse(c.text);
        EXPECT_FALSE(got.ok);
        EXPECT_FALSE(got.problem.empty());
        EXPECT_EQ(got.line, c.line);
    }
    Bytes wide = {0xFF, 0xFE, 'R', 0, 0x3A, 0x04};  // a Cyrillic letter
    EXPECT_FALSE(ParseRegFile(wide).ok);
    EXPECT_FALSE(ParseRegFile(Bytes{0xFF, 0xFE, 'R'}).ok);
}

TEST(RegFileTest, DamagedFilesNeverBreakTheParser) {
    RegistryTree tree;
    auto* key = tree.create("Software\\Tarvik Veviriz Inc.\\Magtune\\RecentFileList\\File1");
    key->setValue("Name", RegValue::string("C:\\a \"b\".cfg"));
    key->setValue("DCB", RegValue::binary(kDcb));
    key->setValue("Com", RegValue::dword(3));
    key->setValue("", RegValue{RegType::String, {0x80, 0}});
    const std::string good = FormatRegFile(tree);

    std::mt19937 random(20240611);
    for (int round = 0; round < 3000; ++round) {
        Bytes damaged = BytesOf(good);
        int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            std::size_t at = random() % damaged.size();
            switch (random() % 3) {
                case 0:
                    damaged[at] = static_cast<std::uint8_t>(random());
                    break;
                case 1:
                    damaged.erase(damaged.begin() + static_cast<std::ptrdiff_t>(at));
                    break;
                default:
                    damaged.resize(at);
                    break;
            }
            if (damaged.empty()) {
                break;
            }
        }
        RegFileContents got = ParseRegFile(damaged);
        if (got.ok) {
            // Whatever was accepted is written so that it reads back the same.
            std::string again = FormatRegFile(got.tree);
            RegFileContents back = Parse(again);
            ASSERT_TRUE(back.ok);
            ASSERT_EQ(FormatRegFile(back.tree), again);
        } else {
            ASSERT_FALSE(got.problem.empty());
        }
    }
}

}  // namespace
}  // namespace magtune::platform
