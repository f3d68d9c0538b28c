// The notifier's delegates: network state and offline reports, weakly held.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "mapsdk/VIZNotifier.h"

namespace {

class General : public VIZGeneralDelegate {
public:
    void onGetNetworkState(int error) override { states.push_back(error); }
    std::vector<int> states;
};

class Offline : public VIZOfflineMapDelegate {
public:
    void onGetOfflineMapState_withState(int kind, int state) override { reports.emplace_back(kind, state); }
    std::vector<std::pair<int, int>> reports;
};

}  // namespace

TEST(Notifier, NetworkStateReachesTheGeneralDelegate)
{
    VIZNotifier::initDelegate();
    VIZNotifier::msgProc(7, 2, 0);  // nobody yet
    auto general = std::make_shared<General>();
    VIZNotifier::setGeneralDelegate(general);
    VIZNotifier::msgProc(7, 2, 9);
    VIZNotifier::msgProc(0, 5, 5);
    VIZNotifier::msgProc(12, 5, 5);
    EXPECT_EQ(general->states, std::vector<int>{2});

    // Held weakly: a delegate gone is skipped.
    general.reset();
    VIZNotifier::msgProc(7, 3, 0);
    EXPECT_EQ(VIZNotifier::generalDelegate(), nullptr);
    VIZNotifier::initDelegate();
}

TEST(Notifier, OfflineReportsByKind)
{
    auto offline = std::make_shared<Offline>();
    VIZNotifier::setOfflineDelegate(offline);
    for (auto [kind, value] : std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 30}, {3, 4}, {4, 7}, {5, 6},
                                                               {6, 8}, {7, 9}, {-1, 1}}) {
        VIZNotifier::msgProc(13, kind, value);
    }
    EXPECT_EQ(offline->reports,
              (std::vector<std::pair<int, int>>{{2, 30}, {3, 4}, {4, 0}, {5, 6}, {6, 8}}));

    // The most recent setter wins; nil clears.
    auto second = std::make_shared<Offline>();
    VIZNotifier::setOfflineDelegate(second);
    VIZNotifier::msgProc(13, 2, 1);
    VIZNotifier::setOfflineDelegate(nullptr);
    VIZNotifier::msgProc(13, 2, 1);
    EXPECT_EQ(second->reports.size(), 1u);
    EXPECT_EQ(offline->reports.size(), 5u);
}
