#pragma once
// The world of the statistics screen tests: the time-rule world (service
// double on loopback, chosen PC, virtual clock on Monday 2026-12-07 09:00
// UTC, the service's day the same), and reply bodies of the statistics
// requests made from (name, count) pairs.

#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "pc/PercentView.h"
#include "protocol/Constant.h"
#include "tests/pc/PCTimeFixture.h"

class StatisticsFixture : public PCTimeFixture {
protected:
    using Counts = std::vector<std::pair<std::string, long long>>;

    void SetUp() override
    {
        PCTimeFixture::SetUp();
        Constant::setServerTime("2026-12-07 09:00:00");
    }

    // "<TotalRecord>n</TotalRecord>" and one List element per entry, the
    // name in the element given, the count in <Num>.
    static std::string listBody(const char* nameElement, const Counts& entries)
    {
        std::string body = "<TotalRecord>" + std::to_string(entries.size()) + "</TotalRecord>";
        for (const auto& [name, count] : entries)
            body += "<List><" + std::string(nameElement) + ">" + name + "</" + nameElement + "><Num>" +
                    std::to_string(count) + "</Num></List>";
        return body;
    }
    // n entries "<prefix>1".."<prefix>n" with the counts given by the function.
    template <class F>
    static Counts numbered(const std::string& prefix, int n, F count)
    {
        Counts out;
        for (int i = 1; i <= n; ++i) out.push_back({prefix + std::to_string(i), count(i)});
        return out;
    }

    // The percentage rows on screen inside the view, top to bottom.
    std::vector<PercentView*> percentRows(UIView* inside) const
    {
        std::vector<std::pair<CGFloat, PercentView*>> rows;
        collect(inside, rows);
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<PercentView*> out;
        for (const auto& r : rows) out.push_back(r.second);
        return out;
    }

    // The chart queries the double saw, in order.
    std::vector<std::string> chartQueries() const
    {
        std::vector<std::string> out;
        for (const auto& e : service.exchanges())
            if (e.endpoint == "PieServlet") out.push_back(e.request.query);
        return out;
    }

    // Holds a TYPE's replies until opened (bounded), so a test sees the
    // screen between two replies.
    struct Gate {
        std::mutex m;
        std::condition_variable cv;
        bool open = false;
        void wait()
        {
            std::unique_lock lock(m);
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return open; });
        }
        void release()
        {
            {
                std::lock_guard lock(m);
                open = true;
            }
            cv.notify_all();
        }
    };
    void replyAfter(Gate& gate, const std::string& type, const std::string& body)
    {
        service.on(type, [&gate, body](const servicedouble::Exchange& e) {
            gate.wait();
            return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, body)};
        });
    }

private:
    static void collect(UIView* v, std::vector<std::pair<CGFloat, PercentView*>>& rows)
    {
        if (v->hidden()) return;
        if (auto* row = dynamic_cast<PercentView*>(v->viewController())) {
            rows.push_back({v->convertPoint(CGPointZero, nullptr).y, row});
            return;
        }
        for (const auto& s : v->subviews()) collect(s.get(), rows);
    }
};
