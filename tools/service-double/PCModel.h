#pragma once
// The supervised PCs as the double keeps them between exchanges, so that a
// change shows on the next read: each device's home status with the one-key
// commands ("RQHomePage", "ADCmd", "RQCurLimit"), its web and program black
// lists ("RQUrlRuleSelf", "ADUrlRuleSelf", "DLUrlRuleSelf", "RQGameRuleSelf",
// "ADGameRuleSelf", "DLGameRuleSelf"; the adds also arrive with the TYPE
// ending in a blank, which the double's TYPE reading drops), the day's
// records in pages ("RQUrlAccess", "RQGameAccess") and the screen captures of
// several days ("RQCapturePic", pictures served by CaptureImages.h).
//
// Records and captures are made from their number, so every page of every
// day is the same on each read: the web record n (1-based) of a day is
// "site-NNN.example.com" visited 1000 - n times, the program n "Program NN".

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "tools/service-double/ServiceDouble.h"

namespace servicedouble {

struct PCStatus {
    std::string isOnline = "1", networkStatus = "3", screenStatus = "2", usedTime = "150";
    std::string bootTime = "07:52:10", closeTime = "21:40:05";
    std::string usingUrl = "www.example.edu", urlTime = "16:05:00", usingGame = "Chess Trainer", gameTime = "16:30:00";
    std::string badUrls = "1", limitUrls = "2", limitGames = "1";
};

struct WebRule {
    std::string site, type, name;
};

struct GameRule {
    std::string gameName, procName, author, gameType, type, sha1, path;
};

class PCModel {
public:
    static constexpr int kWebRecords = 110;   // page 1 and five more pages of 20, the last one of 10
    static constexpr int kGameRecords = 47;
    static constexpr int kCaptureDays = 3;    // the day asked and the two before it have captures

    // The number of captures of the day "yyyy-MM-dd": 26, 7 or 12 by the
    // day's number; 0 for a text that is no date.
    static int capturesOfDay(const std::string& day);

    // Scripts the double for the TYPEs above, replacing their scripts.
    void serve(ServiceDouble& service);
    // Scripts only the TYPEs whose answers change with what the user does
    // (status, one-key commands, black lists), the scripts holding the model.
    static void serveState(ServiceDouble& service, std::shared_ptr<PCModel> model);
    // What every device not set otherwise starts with, read from the BODY
    // contents "RQHomePage", "RQUrlRuleSelf" and "RQGameRuleSelf" answer with
    // (the times of day taken from their date and time).
    void startWith(const std::string& homePage, const std::string& webRules, const std::string& gameRules);

    void setStatus(const std::string& bid, PCStatus status);
    PCStatus status(const std::string& bid) const;
    void setWebRules(const std::string& bid, std::vector<WebRule> rules);
    std::vector<WebRule> webRules(const std::string& bid) const;
    void setGameRules(const std::string& bid, std::vector<GameRule> rules);
    std::vector<GameRule> gameRules(const std::string& bid) const;

private:
    Reply answer(const Exchange& e, const std::string& self);
    std::vector<WebRule>& webOf(const std::string& bid);
    std::vector<GameRule>& gamesOf(const std::string& bid);

    mutable std::mutex mutex_;
    std::map<std::string, PCStatus> status_;
    std::map<std::string, std::vector<WebRule>> web_;
    std::map<std::string, std::vector<GameRule>> games_;
    PCStatus startStatus_;
    std::vector<WebRule> startWeb_ = {{"games.example.com", "Games", "Example games"},
                                      {"video.example.net", "Video", "Example video"}};
    std::vector<GameRule> startGames_ = {
        {"Space Blaster", "blaster.exe", "Arcade House", "Game", "1", "a1b2", "C:\\Games\\blaster.exe"}};
};

}  // namespace servicedouble
