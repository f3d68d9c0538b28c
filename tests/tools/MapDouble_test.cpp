#include "tools/map-double/MapDouble.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/tools/LoopbackClient.h"

namespace {

// A tile pack asked through the relay as the engine asks it; its status line.
std::string askTiles(mapdouble::MapDouble &service, int column) {
    LoopbackClient client(service.port());
    client.send("GET /?qt=rg&url=http%3A%2F%2Ftiles.vuriv.com%2F%3Ftype%3Dm256%26l%3D12%26c%3D" +
                std::to_string(column) + "_294 HTTP/1.1\r\nHost: relay\r\nConnection: close\r\n\r\n");
    const std::string response = client.readResponse();
    return response.substr(0, response.find("\r\n"));
}

// A long run (the main job, a soak) keeps the double's memory flat.
TEST(MapDouble, LogKeepsOnlyTheLatestRequests)
{
    mapdouble::MapDouble service;
    const size_t total = mapdouble::MapDouble::kRecordLimit + 10;
    for (size_t i = 0; i < total; ++i) service.record({"tile", std::to_string(i), "", -1, {}});
    const auto log = service.log();
    ASSERT_EQ(log.size(), mapdouble::MapDouble::kRecordLimit);
    EXPECT_EQ(log.front().url, "10");
    EXPECT_EQ(log.back().url, std::to_string(total - 1));
}

// A soak's double reaches its steady state early: no more than its limits of
// records and made answers; an answer dropped is made anew when asked again.
TEST(MapDouble, KeepsItsLimitsOfRecordsAndAnswers)
{
    const struct {
        size_t records, answers;
        bool remade;  // column 790's pack made again when asked after 791 and 792
    } cases[] = {
        {mapdouble::MapDouble::kRecordLimit, testserver::RelayServer::kProvidedLimit, false},
        {3, 2, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.records);
        mapdouble::MapDouble service(c.records, c.answers);
        for (int column : {790, 791, 792, 790}) ASSERT_EQ(askTiles(service, column), "HTTP/1.1 200 OK");
        const auto log = service.log();
        EXPECT_EQ(log.size(), std::min<size_t>(c.records, c.remade ? 4 : 3));
        ASSERT_FALSE(log.empty());
        EXPECT_NE(log.back().url.find(c.remade ? "c=790_" : "c=792_"), std::string::npos) << log.back().url;
        EXPECT_EQ(service.relay().keys().size(), std::min<size_t>(c.records, 4));
        EXPECT_EQ(service.relay().server().requests().size(), std::min<size_t>(c.records, 4));
    }
}

// A new release of the offline data: the versions and the task list
// announce it, also for a question asked before.
TEST(MapDouble, AnOfflineReleaseRaisesEveryVersion)
{
    mapdouble::MapDouble service;
    auto ask = [&](const std::string& url) {
        LoopbackClient client(service.port());
        client.send("GET /?qt=rg&url=" + url + "&rc=1 HTTP/1.1\r\nHost: relay\r\nConnection: close\r\n\r\n");
        return client.readResponse();
    };
    const std::string versions = "http%3A%2F%2Fmap%2Fofflinemap%2F%3Fqt%3Dtaskcity%26dpi%3Dldpi";
    const std::string tasks = "http%3A%2F%2Fmap%2Fofflinemap%2F%3Fqt%3Dtaskcity%26c%3D131%26dpi%3Dldpi";
    EXPECT_NE(ask(versions).find(R"("pic_version":"8","task_version":"9","city_version":"7")"), std::string::npos);
    EXPECT_NE(ask(tasks).find(R"("cityver":"7")"), std::string::npos);
    service.publishOfflineRelease();
    EXPECT_EQ(service.offlineRelease(), 1);
    EXPECT_NE(ask(versions).find(R"("pic_version":"9","task_version":"10","city_version":"8")"), std::string::npos);
    EXPECT_NE(ask(tasks).find(R"("cityver":"8")"), std::string::npos);
}

}  // namespace
