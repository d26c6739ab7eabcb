#include "inifile.h"

#include <utility>

namespace quorvane {

TIniFile::TIniFile(std::string path) : m_path(std::move(path)) {}

const std::string& TIniFile::FileName() const { return m_path; }

bool TIniFile::ReadBool(const std::string&, const std::string&, bool def) const { return def; }
int TIniFile::ReadInteger(const std::string&, const std::string&, int def) const { return def; }
std::string TIniFile::ReadString(const std::string&, const std::string&, const std::string& def) const
{
    return def;
}
void TIniFile::WriteBool(const std::string&, const std::string&, bool) {}
void TIniFile::WriteInteger(const std::string&, const std::string&, int) {}
void TIniFile::WriteString(const std::string&, const std::string&, const std::string&) {}

} // namespace quorvane
