#include "tools/tour/Tour.h"

#include <algorithm>
#include <cstdio>

#include "platform/foundation/NSFileManager.h"
#include "platform/testing/NXScreenLint.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIStringDrawing.h"

namespace tour {

namespace {

constexpr int kColumns = 5;
constexpr CGFloat kCellWidth = 160, kCellHeight = 240, kCaption = 22, kGap = 8;

}  // namespace

std::vector<StepEntry>& steps()
{
    static std::vector<StepEntry> registered;
    return registered;
}

Tour::Tour(NXUITestDriver& d, servicedouble::ServiceDouble& s, std::filesystem::path folder, ListedFindings listed)
    : driver(d), service(s), folder_(std::move(folder)), listed_(std::move(listed))
{
    std::filesystem::create_directories(folder_);
}

void Tour::stop(const std::string& name, const std::string& what)
{
    driver.layout();
    char file[128];
    std::snprintf(file, sizeof file, "%02zu-%s.png", pictures_.size() + 1, name.c_str());
    const auto path = folder_ / file;
    if (!NXSnapshotToPNG(driver.window(), NSString(path.string()), 1)) throw Failure("cannot write " + path.string());
    pictures_.push_back(path);
    captions_.push_back(name);
    std::printf("%-32s %s\n", file, what.c_str());
    for (const auto& finding : NXLintViewTree(driver.window())) {
        const std::string line = NXLintDescription(finding);
        const bool designed = listed_.listed(name, line);
        std::printf("    lint: %s%s\n", line.c_str(), designed ? " (listed as designed)" : "");
        ++lintFindings_;
        listedFindings_ += designed;
    }
    std::fflush(stdout);
}

void Tour::waitFor(const std::function<bool()>& done, const std::string& what)
{
    if (!driver.pumpUntil(done, 30)) throw Failure("waited in vain for " + what);
}

std::filesystem::path Tour::writeContactSheet() const
{
    const int count = static_cast<int>(pictures_.size());
    const int rows = std::max(1, (count + kColumns - 1) / kColumns);
    const CGSize size = CGSizeMake(kColumns * (kCellWidth + kGap) + kGap, rows * (kCellHeight + kCaption + kGap) + kGap);
    UIGraphicsBeginImageContextWithOptions(size, true, 1);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0.15, 0.15, 0.17, 1);
    CGContextFillRect(c, CGRectMake(0, 0, size.width, size.height));
    for (int i = 0; i < count; ++i) {
        const CGFloat x = kGap + (i % kColumns) * (kCellWidth + kGap);
        const CGFloat y = kGap + (i / kColumns) * (kCellHeight + kCaption + kGap);
        if (auto picture = UIImage::imageWithContentsOfFile(NSString(pictures_[i].string())))
            picture->drawInRect(CGRectMake(x, y, kCellWidth, kCellHeight));
        CGContextSetRGBFillColor(c, 1, 1, 1, 1);
        drawInRect(NSString(pictures_[i].stem().string()), CGRectMake(x, y + kCellHeight + 3, kCellWidth, kCaption - 3),
                   UIFont::systemFontOfSize(11), UILineBreakModeTailTruncation, UITextAlignmentCenter);
    }
    auto sheet = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    const auto path = folder_ / "contact-sheet.png";
    auto png = UIImagePNGRepresentation(sheet);
    if (!png || !NSDataWriteToFile(*png, NSString(path.string()), true)) throw Failure("cannot write " + path.string());
    return path;
}

bool runSteps(Tour& tour)
{
    auto ordered = steps();
    std::stable_sort(ordered.begin(), ordered.end(), [](const StepEntry& a, const StepEntry& b) { return a.order < b.order; });
    for (const auto& step : ordered) {
        try {
            step.run(tour);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "tour: step %d \"%s\" failed: %s\n", step.order, step.name.c_str(), e.what());
            return false;
        }
    }
    return true;
}

}  // namespace tour
