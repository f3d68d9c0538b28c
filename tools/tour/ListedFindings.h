#pragma once
// The screen lint's findings that the screens' design asks for, listed once
// with the reason in docs/SCREEN-LINT.md, a Markdown table whose rows read
// "| screen | finding | why it stays |". A screen is a tour stop's name (the
// picture's name without its number: "splash" for "01-splash.png"); a
// finding is the lint's line as the tour prints it ("contrast: UILabel ...").
// Both match exactly.

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tour {

class ListedFindings {
public:
    // Reads the table of the document; throws std::runtime_error when it
    // cannot be read.
    static ListedFindings load(const std::filesystem::path& document);
    // The table read from the document's text.
    static ListedFindings parse(const std::string& text);

    // Whether the finding is listed for the screen; marks it met.
    bool listed(const std::string& screen, const std::string& finding);
    size_t size() const { return entries_.size(); }
    // The listed findings no stop has met so far ("screen: finding").
    std::vector<std::string> unmet() const;

private:
    using Entry = std::pair<std::string, std::string>;
    std::set<Entry> entries_;
    std::set<Entry> met_;
};

}  // namespace tour
