// The reply reader against pugixml on one large list reply, and the string
// cipher against OpenSSL's raw triple-DES loop on a 64 KB message. After the run
// the ratios of each pair are printed (goals: XMLTree no slower than pugixml,
// the cipher within 1.1x of the raw loop).

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <map>
#include <set>
#include <pugixml.hpp>
#include <string>

#include "protocol/CrypHelper.h"
#include "protocol/XMLTree.h"

namespace {

// An inner reply with 2,000 List rows, about 400 KB.
const std::string& largeReply()
{
    static const std::string reply = [] {
        std::string s = "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>SYS</SNDR><RCVR>u1</RCVR>"
                        "<SEQN>1</SEQN><DTTM>2012-05-01 08:00:00</DTTM><TYPE>RQUrlAccess</TYPE></HEAD><BODY>"
                        "<Code>0</Code><Desc>成功</Desc><TotalRecord>2000</TotalRecord>";
        for (int i = 0; i < 2000; ++i) {
            std::string n = std::to_string(i);
            s += "<List><Url>http://w" + n + ".example.cn/?b=1&amp;c=" + n +
                 "</Url><Num>" + n + "</Num><Allowed>1</Allowed><VisitedTime>2012-05-01 08:" +
                 std::to_string(10 + i % 50) + ":00</VisitedTime><Type>新闻</Type><Name>站" + n +
                 "</Name><Path>/p/" + n + ".png</Path></List>\n";
        }
        s += "</BODY></MSG>";
        return s;
    }();
    return reply;
}

void BM_XMLTree_ParseListReply(benchmark::State& state)
{
    const NSString reply(largeReply());
    for (auto _ : state) {
        auto tree = XMLTree::initWithXMLString(reply);
        benchmark::DoNotOptimize(tree->rootXMLElement());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(largeReply().size()));
}
BENCHMARK(BM_XMLTree_ParseListReply);

void BM_pugixml_ParseListReply(benchmark::State& state)
{
    const std::string& reply = largeReply();
    for (auto _ : state) {
        pugi::xml_document doc;
        pugi::xml_parse_result ok = doc.load_buffer(reply.data(), reply.size());
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(doc.first_child());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(reply.size()));
}
BENCHMARK(BM_pugixml_ParseListReply);

const std::string& message64K()
{
    static const std::string text = [] {
        std::string s;
        while (s.size() < 64 * 1024) s += "<List><Url>http://www.example.com/</Url><Name>站点</Name></List>";
        s.resize(64 * 1024);
        return s;
    }();
    return text;
}

const unsigned char kKey[] = "kqvzr@5049271836mnpqstuw";
const unsigned char kIV[] = "58E0F7A2";

// Triple DES CBC over the bytes with OpenSSL alone: no text, no Base64.
size_t rawCipher(const std::string& in, unsigned char* out, bool encrypt)
{
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int len = 0, tail = 0;
    EVP_CipherInit_ex(ctx, EVP_des_ede3_cbc(), nullptr, kKey, kIV, encrypt ? 1 : 0);
    EVP_CipherUpdate(ctx, out, &len, reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size()));
    EVP_CipherFinal_ex(ctx, out + len, &tail);
    EVP_CIPHER_CTX_free(ctx);
    return static_cast<size_t>(len + tail);
}

void BM_CrypHelper_Encrypt64K(benchmark::State& state)
{
    const NSString text(message64K());
    for (auto _ : state) benchmark::DoNotOptimize(CrypHelper::encryptStr(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 1024);
}
BENCHMARK(BM_CrypHelper_Encrypt64K);

void BM_EVPRaw_Encrypt64K(benchmark::State& state)
{
    std::string out(64 * 1024 + 8, '\0');
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawCipher(message64K(), reinterpret_cast<unsigned char*>(out.data()), true));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 1024);
}
BENCHMARK(BM_EVPRaw_Encrypt64K);

void BM_CrypHelper_Decrypt64K(benchmark::State& state)
{
    const NSString cipher = CrypHelper::encryptStr(message64K());
    for (auto _ : state) benchmark::DoNotOptimize(CrypHelper::decryptStr(cipher));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 1024);
}
BENCHMARK(BM_CrypHelper_Decrypt64K);

void BM_EVPRaw_Decrypt64K(benchmark::State& state)
{
    std::string cipher(64 * 1024 + 8, '\0');
    cipher.resize(rawCipher(message64K(), reinterpret_cast<unsigned char*>(cipher.data()), true));
    std::string out(cipher.size() + 8, '\0');
    for (auto _ : state) {
        benchmark::DoNotOptimize(rawCipher(cipher, reinterpret_cast<unsigned char*>(out.data()), false));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 64 * 1024);
}
BENCHMARK(BM_EVPRaw_Decrypt64K);

// Prints the usual table, then each pair's ratio of real time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            // The median of repetitions when there are some, else the single run.
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !medians_.count(run.run_name.str())) {
                times_[run.run_name.str()] = run.GetAdjustedRealTime();
            } else if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times_[run.run_name.str()] = run.GetAdjustedRealTime();
                medians_.insert(run.run_name.str());
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        ratio("XMLTree / pugixml (goal <= 1.0)", "BM_XMLTree_ParseListReply", "BM_pugixml_ParseListReply");
        ratio("CrypHelper encrypt / raw EVP (goal <= 1.1)", "BM_CrypHelper_Encrypt64K", "BM_EVPRaw_Encrypt64K");
        ratio("CrypHelper decrypt / raw EVP (goal <= 1.1)", "BM_CrypHelper_Decrypt64K", "BM_EVPRaw_Decrypt64K");
    }

private:
    void ratio(const char* label, const std::string& ours, const std::string& theirs)
    {
        auto a = times_.find(ours), b = times_.find(theirs);
        if (a != times_.end() && b != times_.end() && b->second > 0) {
            std::printf("%-45s %.3f\n", label, a->second / b->second);
        }
    }

    std::map<std::string, double> times_;
    std::set<std::string> medians_;
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::printf("reply size: %zu bytes\n", largeReply().size());
    return 0;
}
