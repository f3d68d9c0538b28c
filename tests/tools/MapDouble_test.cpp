#include "tools/map-double/MapDouble.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/tools/LoopbackClient.h"

namespace {

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
