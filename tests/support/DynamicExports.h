#pragma once

#include <elf.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace magtune::test {

// The functions and objects that a 64-bit shared library defines in its
// dynamic symbol table, sorted: what a program can find in it by name.
// Empty when the file is no such library.
inline std::vector<std::string> DynamicExports(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    Elf64_Ehdr header;
    if (file.size() < sizeof header) {
        return names;
    }
    std::memcpy(&header, file.data(), sizeof header);
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr) ||
        header.e_shoff + std::size_t{header.e_shnum} * sizeof(Elf64_Shdr) > file.size()) {
        return names;
    }
    std::vector<Elf64_Shdr> sections(header.e_shnum);
    std::memcpy(sections.data(), file.data() + header.e_shoff,
                sections.size() * sizeof(Elf64_Shdr));
    for (const Elf64_Shdr& section : sections) {
        if (section.sh_type != SHT_DYNSYM || section.sh_link >= sections.size()) {
            continue;
        }
        const Elf64_Shdr& strings = sections[section.sh_link];
        for (std::size_t at = section.sh_offset;
             at + sizeof(Elf64_Sym) <= section.sh_offset + section.sh_size &&
             at + sizeof(Elf64_Sym) <= file.size();
             at += sizeof(Elf64_Sym)) {
            Elf64_Sym symbol;
            std::memcpy(&symbol, file.data() + at, sizeof symbol);
            const int type = ELF64_ST_TYPE(symbol.st_info);
            const int binding = ELF64_ST_BIND(symbol.st_info);
            if (symbol.st_shndx == SHN_UNDEF || (type != STT_FUNC && type != STT_OBJECT) ||
                (binding != STB_GLOBAL && binding != STB_WEAK) ||
                strings.sh_offset + symbol.st_name >= file.size()) {
                continue;
            }
            names.emplace_back(file.data() + strings.sh_offset + symbol.st_name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace magtune::test
