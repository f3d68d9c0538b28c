#pragma once
// The tour of the main job: the client, launched headless against the
// service double, is driven as a user would drive it, and every screen
// visited is written as a PNG ("NN-name.png") with a contact sheet of them
// all ("contact-sheet.png").
//
// Each area adds its stops in a source file of its own in this folder with
// NX_TOUR_STEP(order, name) { ... }; the steps run in order. The app shell's
// steps (app.cpp) leave the PC tab set on screen for orders 200-299 and the
// phone tab set for orders 400-499, so the PC and phone screens' steps find
// their tab sets there.

#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/testing/NXUITestDriver.h"
#include "tools/tour/ListedFindings.h"
#include "tools/service-double/ServiceDouble.h"

namespace tour {

// A step could not go on (a screen did not come, a control was missing).
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Tour {
public:
    Tour(NXUITestDriver& driver, servicedouble::ServiceDouble& service, std::filesystem::path folder, ListedFindings listed);

    NXUITestDriver& driver;
    servicedouble::ServiceDouble& service;

    // Writes the key window as the next stop and prints a line for it, then
    // a line per finding of the screen lint, marking those listed as designed.
    void stop(const std::string& name, const std::string& what);
    size_t lintFindings() const { return lintFindings_; }
    size_t listedFindings() const { return listedFindings_; }
    const ListedFindings& listed() const { return listed_; }
    // Writes the contact sheet of every stop; its path.
    std::filesystem::path writeContactSheet() const;
    const std::vector<std::filesystem::path>& pictures() const { return pictures_; }

    // Runs the main loop until the condition holds (workers answer), else
    // throws Failure with the text.
    void waitFor(const std::function<bool()>& done, const std::string& what);
    // Throws Failure with the text when the view is missing.
    template <class T>
    T* require(T* view, const std::string& what)
    {
        if (!view) throw Failure("no " + what + " on screen");
        return view;
    }

private:
    std::filesystem::path folder_;
    std::vector<std::filesystem::path> pictures_;
    std::vector<std::string> captions_;
    ListedFindings listed_;
    size_t lintFindings_ = 0, listedFindings_ = 0;
};

using Step = std::function<void(Tour&)>;

struct StepEntry {
    int order;
    std::string name;
    Step run;
};

std::vector<StepEntry>& steps();

struct StepRegistrar {
    StepRegistrar(int order, std::string name, Step run) { steps().push_back({order, std::move(name), std::move(run)}); }
};

// Runs every registered step in order; false (after printing why) when one fails.
bool runSteps(Tour& tour);

}  // namespace tour

#define NX_TOUR_CONCAT2(a, b) a##b
#define NX_TOUR_CONCAT(a, b) NX_TOUR_CONCAT2(a, b)
// NX_TOUR_STEP(150, "login") { ... tour.stop("login", "The login screen"); }
#define NX_TOUR_STEP(order, name)                                                                              \
    static void NX_TOUR_CONCAT(tourStep_, __LINE__)(::tour::Tour & tour);                                     \
    static ::tour::StepRegistrar NX_TOUR_CONCAT(tourStepRegistrar_, __LINE__)(order, name,                    \
                                                                              NX_TOUR_CONCAT(tourStep_, __LINE__)); \
    static void NX_TOUR_CONCAT(tourStep_, __LINE__)(::tour::Tour & tour)
