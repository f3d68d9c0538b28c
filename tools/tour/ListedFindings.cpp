#include "tools/tour/ListedFindings.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tour {

namespace {

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The cells of a table row "| a | b | c |"; none for any other line.
std::vector<std::string> cells(const std::string& line)
{
    const std::string row = trimmed(line);
    if (row.size() < 2 || row.front() != '|' || row.back() != '|') return {};
    std::vector<std::string> out;
    std::stringstream inner(row.substr(1, row.size() - 2));
    for (std::string cell; std::getline(inner, cell, '|');) out.push_back(trimmed(cell));
    return out;
}

bool isRule(const std::vector<std::string>& row)
{
    for (const auto& cell : row)
        if (cell.find_first_not_of("-: ") != std::string::npos) return false;
    return true;
}

}  // namespace

ListedFindings ListedFindings::load(const std::filesystem::path& document)
{
    std::ifstream in(document);
    if (!in) throw std::runtime_error("cannot read the listed lint findings in " + document.string());
    std::stringstream text;
    text << in.rdbuf();
    return parse(text.str());
}

ListedFindings ListedFindings::parse(const std::string& text)
{
    ListedFindings out;
    std::stringstream lines(text);
    bool header = true;
    for (std::string line; std::getline(lines, line);) {
        const auto row = cells(line);
        if (row.size() < 2) {
            header = true;  // a table that follows starts with its own header
            continue;
        }
        if (header) {  // the header row, then the rule under it
            header = !isRule(row);
            continue;
        }
        out.entries_.insert({row[0], row[1]});
    }
    return out;
}

bool ListedFindings::listed(const std::string& screen, const std::string& finding)
{
    const Entry entry{screen, finding};
    if (!entries_.count(entry)) return false;
    met_.insert(entry);
    return true;
}

std::vector<std::string> ListedFindings::unmet() const
{
    std::vector<std::string> out;
    for (const auto& e : entries_)
        if (!met_.count(e)) out.push_back(e.first + ": " + e.second);
    return out;
}

}  // namespace tour
