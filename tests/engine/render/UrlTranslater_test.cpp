#include "engine/render/UrlTranslater.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/EngineEnv.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapFacade.h"
#include "engine/render/MapView.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/TempFolder.h"
#include "tests/engine/render/EngineText.h"

using namespace mapengine;

namespace {

CVString Text(const char* s) { return CVString(s); }

const char* const kPlainCommon =
    "&mb=iPhone3,1&os=iphone&sv=4.3.2&im=123456789012345&resid=01&ver=1&screen=(640,960)&dpi=(326,326)";
const char* const kEncodedCommon =
    "&mb=iPhone3%2C1&os=iphone&sv=4%2E3%2E2&im=123456789012345&resid=01&ver=1&screen=(640,960)&dpi=(326,326)";

// A published engine environment with known device values, in a private
// home for the user defaults.
class UrlTranslaterTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
    ASSERT_NE(tables, nullptr);
    ASSERT_EQ(tables->LoadTables(), 1);
    setenv("NX_APP_HOME", m_home.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
    m_env.m_version.model = "iPhone3,1";
    m_env.m_version.systemVersion = "4.3.2";
    m_env.m_version.screenSize.SetSize(640, 960);
    m_env.m_version.density.SetSize(326, 326);
    m_env.m_deviceId = "123456789012345";
    m_env.m_resourceId = "01";
    GetGlobalMan()->SetSlot(kSlotEngineEnv, &m_env);
  }
  void TearDown() override {
    GetGlobalMan()->SetSlot(kSlotEngineEnv, nullptr);
    NSUserDefaults::resetStandardUserDefaults();
    unsetenv("NX_APP_HOME");
  }
  CVStringArray Hosts(const char* host) {
    CVStringArray hosts;
    CVString h = host;
    hosts.Add(h);
    return hosts;
  }

  TempFolder m_folder;
  std::string m_home = m_folder.path().str();
  CEngineEnv m_env;
  CUrlTranslater m_urls;
};

}  // namespace

TEST_F(UrlTranslaterTest, MapDomainKinds) {
  EXPECT_EQ(Ascii(m_urls.GetMapImageKind()), "m256");
  EXPECT_EQ(Ascii(m_urls.GetSatelliteImageKind()), "");
  m_urls.SetMapDomain(Hosts("http://t/"), 0, 9);
  EXPECT_EQ(Ascii(m_urls.GetMapImageKind()), "m256");
  EXPECT_EQ(Ascii(m_urls.GetSatelliteImageKind()), "");
  m_urls.SetMapDomain(Hosts("http://t/"), 1, 7);
  EXPECT_EQ(Ascii(m_urls.GetMapImageKind()), "m128");
  EXPECT_EQ(Ascii(m_urls.GetSatelliteImageKind()), "rawsateH");
  m_urls.SetMapDomain(Hosts("http://t/"), 3, 5);
  EXPECT_EQ(Ascii(m_urls.GetMapImageKind()), "m256H");
  EXPECT_EQ(Ascii(m_urls.GetSatelliteImageKind()), "sateH");
}

TEST_F(UrlTranslaterTest, CommonAndShortParameters) {
  CVString out = "old";
  ASSERT_EQ(m_urls.AppendCommonParams(out, 1), 1);
  EXPECT_EQ(Ascii(out), kEncodedCommon);
  ASSERT_EQ(m_urls.AppendCommonParams(out, 0), 1);
  EXPECT_EQ(Ascii(out), kPlainCommon);
  ASSERT_EQ(m_urls.AppendShortParams(out), 1);
  EXPECT_EQ(Ascii(out), "&os=iphone");

  // With an application identifier, every tail ends with it.
  NSUserDefaults::standardUserDefaults()->setObject(NSString("demo-7"), kAppIdKey);
  CUrlTranslater withId;
  withId.AppendCommonParams(out, 1);
  EXPECT_EQ(Ascii(out), std::string(kEncodedCommon) + "&appid=demo-7");
  withId.AppendShortParams(out);
  EXPECT_EQ(Ascii(out), "&os=iphone&appid=demo-7");
}

TEST_F(UrlTranslaterTest, CommonParametersWaitForTheEnvironment) {
  GetGlobalMan()->SetSlot(kSlotEngineEnv, nullptr);
  CVString out = "kept";
  EXPECT_EQ(m_urls.AppendCommonParams(out, 1), 0);
  EXPECT_EQ(Ascii(out), "kept");

  // An environment not yet filled gives its empty values but they are not
  // kept: once filled, the real values are sent.
  CEngineEnv early;
  GetGlobalMan()->SetSlot(kSlotEngineEnv, &early);
  EXPECT_EQ(m_urls.AppendCommonParams(out, 0), 1);
  EXPECT_EQ(Ascii(out), "&mb=&os=iphone&sv=&im=&resid=&ver=1&screen=(0,0)&dpi=(0,0)");
  GetGlobalMan()->SetSlot(kSlotEngineEnv, &m_env);
  m_urls.AppendCommonParams(out, 0);
  EXPECT_EQ(Ascii(out), kPlainCommon);
}

TEST_F(UrlTranslaterTest, CachesBuiltFromSeveralThreadsAgree) {
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      CVString out;
      m_urls.AppendCommonParams(out, i % 2);
      results[i] = Ascii(out);
    });
  }
  for (auto& t : threads) {
    t.join();
  }
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(results[i], i % 2 ? kEncodedCommon : kPlainCommon);
  }
}

TEST_F(UrlTranslaterTest, SignParam) {
  // Base64 of the text and digest characters 5..14 (checked with base64 and md5sum).
  CVString out;
  ASSERT_EQ(m_urls.SignParam(Text("abc"), out), 1);
  EXPECT_EQ(Ascii(out), "YWJj0983cd24fb");
}

TEST_F(UrlTranslaterTest, RoutePoints) {
  struct Case {
    int type;
    double x, y;
    const char* name;
    const char* second;
    int result;
    const char* text;
  } cases[] = {
      {1, 12957395.9, -4824911.9, "A b", "", 1, "1$$$$12957395,-4824911$$A%20b$$$$$$"},
      {2, 5, 5, "Home", "s2", 1, "2$$s2$$$$Home$$$$$$"},
      {0, 1.0, 5, "", "", 1, "0$$$$$$$$$$$$"},
      {0, 1.5, 2.9, "", "", 1, "0$$$$1,2$$$$$$$$"},
      // Far outside the int range: held at the edge, not undefined.
      {1, 1e20, -1e20, "", "", 1, "1$$$$2147483647,-2147483648$$$$$$$$"},
      {3, 1, 1, "", "", 0, "untouched"},
  };
  for (const Case& c : cases) {
    tag_RPNode node;
    node.type = c.type;
    node.x = c.x;
    node.y = c.y;
    std::strcpy(node.name, c.name);
    std::strcpy(node.secondText, c.second);
    CVString out = "untouched";
    EXPECT_EQ(m_urls.EncodeRoutePoint(out, node), c.result) << c.text;
    EXPECT_EQ(Ascii(out), c.text);
  }
}

TEST_F(UrlTranslaterTest, OfflineAndUpdateUrls) {
  CVString out;
  m_urls.GetOfflineTaskListUrl(out);
  EXPECT_EQ(Ascii(out), "http://offline.map.vuriv.com/offlinemap/?qt=taskcity&dpi=hdpi");
  CVArray<int, int> ids;
  out = "kept";
  EXPECT_EQ(m_urls.GetOfflineCityTaskUrl(out, ids), 0);
  EXPECT_EQ(Ascii(out), "kept");
  ids.Add(131);
  ids.Add(289);
  m_env.m_version.density.SetSize(163, 181);  // 181 on y alone is high density
  EXPECT_EQ(m_urls.GetOfflineCityTaskUrl(out, ids), 1);
  EXPECT_EQ(Ascii(out), "http://offline.map.vuriv.com/offlinemap/?qt=taskcity&c=131,289&dpi=hdpi");
  m_env.m_version.density.SetSize(163, 163);
  m_urls.GetOfflineTaskListUrl(out);
  EXPECT_EQ(Ascii(out), "http://offline.map.vuriv.com/offlinemap/?qt=taskcity&dpi=ldpi");
  m_urls.GetUpdateCheckUrl(out, Text("style.dat?v=3"));
  EXPECT_EQ(Ascii(out), "http://update.map.vuriv.com/update/style.dat?v=3");
}

TEST_F(UrlTranslaterTest, SearchUrls) {
  const std::string common = kEncodedCommon;
  CVString out;
  m_urls.GetReverseGeocodeUrl(out, 12957395, 4824911);
  EXPECT_EQ(Ascii(out), "http://api.map.vuriv.com/api?x=12957395&y=4824911&qt=rgc" + common);
  EXPECT_EQ(m_urls.GetSuggestionUrl(out, Text(""), 0, 131), 0);
  m_urls.GetSuggestionUrl(out, Text("a&b"), 2, 131);
  EXPECT_EQ(Ascii(out), "http://su.map.vuriv.com/su?wd=a%26b&cid=131&type=2" + common);
  m_urls.GetGeocodeUrl(out, Text("a b"), 131, nullptr);
  EXPECT_EQ(Ascii(out), "http://client.map.vuriv.com/?qt=gc&c=131&ie=utf-8&oue=0&wd=a%20b" + common);
  CVString city = Text("x&y");
  m_urls.GetGeocodeUrl(out, Text("a"), -1, &city);
  EXPECT_EQ(Ascii(out), "http://client.map.vuriv.com/?qt=gc&cn=x%26y&ie=utf-8&oue=0&wd=a" + common);
  m_urls.GetCurrentCityUrl(out, {1, 2}, {3, 4}, 12);
  EXPECT_EQ(Ascii(out), "http://client.map.vuriv.com/?qt=cen&b=1,2;3,4&l=12&ie=utf-8&tn=wl01&oue=0" + common);

  CVStringArray keys;
  EXPECT_EQ(m_urls.GetPoiBkgDataUrl(out, 131, Text("x"), 15, keys, 10, 0, 0, 0, 0), 0);
  CVString k1 = "10_20";
  CVString k2 = "11_20";
  keys.Add(k1);
  keys.Add(k2);
  m_urls.GetPoiBkgDataUrl(out, 131, Text("hotel"), 15, keys, 10, 123456, -789, 5000099, 600);
  EXPECT_EQ(Ascii(out),
            "http://client.map.vuriv.com/?qt=bkg_data_ex&wd=hotel&c=131&rn=10&l=15&xy=10_20,11_20&b=(1234,-7;50000,6)" +
                common);

  out = "kept";
  EXPECT_EQ(m_urls.GetPoiSearchUrl(out, Text("k"), {1, 2}, {3, 4}, 0, -1), 0);
  EXPECT_EQ(m_urls.GetPoiMultiSearchUrl(out, Text("k"), 1, {1, 2}, {3, 4}, 0, -1), 0);
  EXPECT_EQ(Ascii(out), "kept");
  m_urls.GetPoiSearchUrl(out, Text("bank"), {1, 2}, {3, 4}, 2, 10);
  EXPECT_EQ(Ascii(out),
            "http://client.map.vuriv.com/?qt=bd2&ie=utf-8&pn=2&rn=10&oue=0&ar=(1,2;3,4)&b=(1,2;3,4)&l=12&wd=bank" +
                common);
  m_urls.GetPoiMultiSearchUrl(out, Text("a$b"), 2, {1, 2}, {3, 4}, 0, 5);
  EXPECT_EQ(Ascii(out),
            "http://client.map.vuriv.com/?qt=bda&ie=utf-8&pn=0&rn=5&oue=0&ar=(1,2;3,4)&b=(1,2;3,4)&l=12&wdn=2&wd=a%24b" +
                common);
}

// A search in a city carries the map view's level and request rectangle, in
// map units; without a map view all five numbers are 0.
TEST_F(UrlTranslaterTest, PoiInCityUrls) {
  const std::string common = kEncodedCommon;
  const std::string base = "http://client.map.vuriv.com/?qt=con&c=";
  CVString out = "kept";
  EXPECT_EQ(m_urls.GetPoiInCityUrl(out, Text("k"), 131, 0, -1), 0);
  EXPECT_EQ(Ascii(out), "kept");

  m_urls.GetPoiInCityUrl(out, Text("a&b"), 131, 2, 10);
  EXPECT_EQ(Ascii(out), base + "131&l=0&b=(0,0;0,0)&ie=utf-8&pn=2&rn=10&lc=0&oue=0&wd=a%26b" + common);

  tagMapViewState saved = GetMapViewState();
  alignas(CMapControl) unsigned char place[sizeof(CMapControl)];
  CMapControl* control = MapCreateControl(place);
  m_urls.SetMapControl(control);
  struct {
    _VRect visible;  // left, top, right, bottom
    const char* rectangle;
  } cases[] = {
      {{12950000, 4830000, 12960000, 4820000}, "(12950000,4820000;12960000,4830000)"},
      {{-1234, 5678, 999, -1}, "(-1234,-1;999,5678)"},
      // Past the int range in hundredths: saturated, then back to map units.
      {{-25000000, 25000000, 25000000, -25000000}, "(-21474836,-21474836;21474836,21474836)"},
  };
  for (const auto& c : cases) {
    GetMapViewState().rcVisible = c.visible;
    GetMapViewState().nLevel = 13;
    m_urls.GetPoiInCityUrl(out, Text("bank"), 131, 0, 10);
    EXPECT_EQ(Ascii(out), base + "131&l=13&b=" + c.rectangle + "&ie=utf-8&pn=0&rn=10&lc=0&oue=0&wd=bank" + common);
  }
  CVString city = Text("x y");
  m_urls.GetPoiInCityUrl(out, Text("bank"), 131, 1, 5, &city);
  EXPECT_EQ(Ascii(out), base + "x%20y&l=13&b=(-21474836,-21474836;21474836,21474836)&ie=utf-8&pn=1&rn=5&lc=0&oue=0&wd=bank" +
                            common)
      << "the name wins over the id";

  m_urls.SetMapControl(nullptr);
  MapDestroyControl(control);
  GetMapViewState() = saved;
}

TEST_F(UrlTranslaterTest, RouteUrls) {
  const std::string common = kEncodedCommon;
  tag_RPNode named;
  named.type = 2;
  std::strcpy(named.name, "Zoo");
  tag_RPNode placed;
  placed.type = 1;
  placed.x = 100;
  placed.y = 200;
  CVString out;
  // From a named start to a point: "wse" with the start city and no "&sn=".
  m_urls.GetWalkingRouteUrl(out, 131, 132, 133, named, placed);
  EXPECT_EQ(Ascii(out), "http://client.map.vuriv.com/?qt=wse&ie=utf-8&oue=0&lrn=20&c=132&wd=Zoo&en=1$$$$100,200$$$$$$$$" +
                            common);
  // Both named: the route form "nav".
  CVString city = "Bei jing";
  m_urls.GetDrivingRouteUrl(out, 131, 132, 133, named, named, 2, &city);
  EXPECT_EQ(Ascii(out),
            "http://client.map.vuriv.com/?qt=nav&sy=2&ie=utf-8&oue=0&lrn=20&c=Bei%20jing&sc=132&ec=133"
            "&sn=2$$$$$$Zoo$$$$$$&en=2$$$$$$Zoo$$$$$$" +
                common);
  // To a named end: "nse" with the end city and "&sn=".
  m_urls.GetDrivingRouteUrl(out, 131, 132, 133, placed, named, 7);
  EXPECT_EQ(Ascii(out), "http://client.map.vuriv.com/?qt=nse&sy=0&ie=utf-8&oue=0&lrn=20&c=133&wd=Zoo&sn=1$$$$100,200$$$$$$$$" +
                            common);
  // Transit policy 6: sy 4 and the list; policy 4: sy 2, no list.
  m_urls.GetTransitRouteUrl(out, placed, placed, 6, 131);
  EXPECT_EQ(Ascii(out),
            "http://client.map.vuriv.com/?qt=bt&sy=4&ie=utf-8&ex=1&oue=0&lrn=20&c=131"
            "&sn=1$$$$100,200$$$$$$$$&en=1$$$$100,200$$$$$$$$&f=[0,2,4,7,5,8,9,10,11]" +
                common);
  m_urls.GetTransitRouteUrl(out, placed, placed, 4, 131);
  EXPECT_EQ(Ascii(out).find("&f=["), std::string::npos);
  EXPECT_NE(Ascii(out).find("?qt=bt&sy=2&"), std::string::npos);
  // The second text goes in as it is; a bad end point type refuses the route.
  std::strcpy(placed.secondText, "a&b");
  m_urls.GetTransitRouteUrl(out, placed, named, 0, 131);
  EXPECT_EQ(Ascii(out),
            "http://client.map.vuriv.com/?qt=bse&sy=0&ie=utf-8&oue=0&lrn=20&c=131&wd=Zoo&sn=1$$a&b$$100,200$$$$$$$$" +
                common);
  tag_RPNode bad;
  bad.type = 5;
  out = "kept";
  EXPECT_EQ(m_urls.GetWalkingRouteUrl(out, 1, 1, 1, placed, bad), 0);
  EXPECT_EQ(Ascii(out), "kept");
}

TEST_F(UrlTranslaterTest, TileUrls) {
  tagTileRequest request;
  request.level = 12;
  CVString out = "kept";
  EXPECT_EQ(m_urls.GetTileUrl(out, request, 1), 0) << "no keys";
  CVString k1 = "790_294";
  CVString k2 = "791_294";
  request.keys.Add(k1);
  request.keys.Add(k2);
  EXPECT_EQ(m_urls.GetTileUrl(out, request, 1), 0) << "no hosts";
  EXPECT_EQ(Ascii(out), "kept");
  m_urls.SetMapDomain(Hosts("http://tiles.vuriv.com/"), 3, 5);

  struct Case {
    int kind;
    const char* url;
  } cases[] = {
      {0, "http://tiles.vuriv.com/?type=m256H&l=12&c=790_294,791_294&os=iphone"},
      {3, "http://tiles.vuriv.com/?type=m256H&l=12&c=790_294,791_294&os=iphone"},
      {1, "http://tiles.vuriv.com/?type=tra&l=12&c=790_294,791_294&os=iphone"},
      {2, "http://tiles.vuriv.com/?type=trahis&day=3&time=8&l=12&c=790_294,791_294&os=iphone"},
      {4, "http://tiles.vuriv.com/?type=sateH&l=12&c=790_294,791_294&os=iphone"},
      {9, "http://tiles.vuriv.com/790_294,791_294&os=iphone"},
  };
  request.day = 3;
  request.time = 8;
  for (const Case& c : cases) {
    request.kind = c.kind;
    ASSERT_EQ(m_urls.GetTileUrl(out, request, 1), 1);
    EXPECT_EQ(Ascii(out), c.url);
  }
  request.kind = 0;
  m_urls.GetTileUrl(out, request, 0);
  EXPECT_EQ(Ascii(out).rfind("http://tiles.vuriv.com/?type=m256H&l=12&c=790_294,791_294&os=iphone&tick=", 0), 0u);

  // Forty keys make a URL far longer than one formatted text may be.
  request.keys.RemoveAll();
  std::string expected = "http://tiles.vuriv.com/?type=m256H&l=12&c=";
  for (int i = 0; i < 40; ++i) {
    CVString key = Text((std::to_string(100000 + i) + "_" + std::to_string(200000 + i)).c_str());
    request.keys.Add(key);
    expected += (i ? "," : "") + std::to_string(100000 + i) + "_" + std::to_string(200000 + i);
  }
  m_urls.GetTileUrl(out, request, 1);
  EXPECT_EQ(Ascii(out), expected + "&os=iphone");
}

TEST_F(UrlTranslaterTest, PositioningFields) {
  CVStringArray names;
  CVStringArray values;
  CVString out;
  ASSERT_EQ(m_urls.GetLocationUrl(out, Text("460,0,4189,12345"), Text("aabbcc"), 1, names, values), 1);
  EXPECT_EQ(Ascii(out), "http://loc.map.vuriv.com/loc");
  ASSERT_EQ(names.GetSize(), 1);
  EXPECT_EQ(Ascii(names[0]), "bloc");
  // The signed "&cl=...&wf=..." + plain common + "&prod=vurivmap&coor=gcj02",
  // worked out with base64 and md5sum.
  EXPECT_EQ(Ascii(values[0]),
            "JmNsPTQ2MCwwLDQxODksMTIzNDUmd2Y9YWFiYmNjJm1iPWlQaG9uZTMsMSZvcz1pcGhvbmUmc3Y9NC4zLjImaW09MTIzNDU2Nzg5MDEy"
            "MzQ1JnJlc2lkPTAxJnZlcj0xJnNjcmVlbj0oNjQwLDk2MCkmZHBpPSgzMjYsMzI2KSZwcm9kPXZ1cml2bWFwJmNvb3I9Z2NqMDI="
            "2a3d9d51c6");

  CVStringArray records;
  for (int i = 0; i < 25; ++i) {
    CVString r = Text(("rec" + std::to_string(i)).c_str());
    records.Add(r);
  }
  names.RemoveAll();
  values.RemoveAll();
  ASSERT_EQ(m_urls.GetCellDataUploadUrl(out, records, names, values), 1);
  ASSERT_EQ(names.GetSize(), 20);
  EXPECT_EQ(Ascii(names[0]), "cldc[0]");
  EXPECT_EQ(Ascii(names[19]), "cldc[19]");
  CVString expected;
  m_urls.SignParam(Text((std::string("rec19") + kPlainCommon).c_str()), expected);
  EXPECT_EQ(Ascii(values[19]), Ascii(expected));
}
