#include "tools/service-double/ServiceDouble.h"

#include <algorithm>
#include <ctime>

#include "platform/foundation/NSClock.h"
#include "protocol/CrypHelper.h"
#include "protocol/XMLTree.h"
#include "tools/service-double/CaptureImages.h"
#include "tools/service-double/ChartImages.h"

namespace servicedouble {

namespace {

constexpr const char* kMessagePath = "/ZAZORE2.2/MsgService.asmx";
constexpr const char* kAuthPath = "/ZazoRE2.2/AuthService.asmx";
constexpr const char* kFilePath = "/ZAZORE2.2/FileService.asmx";

// Element names compared without their namespace prefix.
std::string_view localName(const _XMLTreeElement* e)
{
    std::string_view name = e->name;
    size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

const _XMLTreeElement* child(const _XMLTreeElement* parent, std::string_view name)
{
    for (const _XMLTreeElement* e = parent ? parent->firstChild : nullptr; e; e = e->nextSibling) {
        if (localName(e) == name) return e;
    }
    return nullptr;
}

std::string textOf(const _XMLTreeElement* e)
{
    NSString text = e ? XMLTree::textForElement(e) : NSString();
    return text.isNil() ? std::string() : text.str();
}

std::string decipher(const std::string& text)
{
    NSString plain = CrypHelper::decryptStr(NSString(text));
    return plain.isNil() ? std::string() : plain.str();
}

std::string encipher(const std::string& text) { return CrypHelper::encryptStr(NSString(text)).str(); }

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else out += c;
    }
    return out;
}

// Reads TYPE and SNDR from an inner message.
void readHead(const std::string& message, Exchange& exchange)
{
    auto tree = XMLTree::initWithXMLString(NSString(message));
    const _XMLTreeElement* head = child(tree->rootXMLElement(), "HEAD");
    exchange.type = textOf(child(head, "TYPE"));
    exchange.sender = textOf(child(head, "SNDR"));
}

const char* kSoapOpen =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" "
    "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\">"
    "<soap:Body>";
const char* kSoapClose = "</soap:Body></soap:Envelope>";

testserver::Headers soapHeaders() { return {{"Content-Type", "application/soap+xml; charset=utf-8"}}; }

void sendSoapFault(testserver::Connection& c, const std::string& reason)
{
    c.send(500,
           std::string(kSoapOpen) + "<soap:Fault><soap:Code><soap:Value>soap:Receiver</soap:Value></soap:Code>"
               "<soap:Reason><soap:Text xml:lang=\"en\">" + escaped(reason) + "</soap:Text></soap:Reason></soap:Fault>" +
               kSoapClose,
           soapHeaders());
}

}  // namespace

namespace {

testserver::Server::Options bounded(testserver::Server::Options options)
{
    options.recordLimit = std::min(options.recordLimit, ServiceDouble::kRecordLimit);
    return options;
}

}  // namespace

ServiceDouble::ServiceDouble(testserver::Server::Options options)
    : recordLimit_(bounded(options).recordLimit),
      server_([this](const testserver::Request& r, testserver::Connection& c) { handle(r, c); }, bounded(options))
{
}

ServiceDouble::~ServiceDouble() { stop(); }

void ServiceDouble::stop()
{
    {
        std::lock_guard lock(mutex_);
        letGo_ = true;
        held_.clear();
    }
    released_.notify_all();
    server_.stop();
}

void ServiceDouble::hold(const std::string& type)
{
    std::lock_guard lock(mutex_);
    if (!letGo_) held_[type] = false;
}

void ServiceDouble::release(const std::string& type)
{
    {
        std::lock_guard lock(mutex_);
        held_.erase(type);
    }
    released_.notify_all();
}

bool ServiceDouble::waitForHeld(const std::string& type, testserver::Millis timeout) const
{
    std::unique_lock lock(mutex_);
    return released_.wait_for(lock, timeout, [&] {
        auto at = held_.find(type);
        return at != held_.end() && at->second;
    });
}

void ServiceDouble::waitWhileHeld(const std::string& type)
{
    std::unique_lock lock(mutex_);
    auto at = held_.find(type);
    if (at == held_.end() || at->second) return;  // not held, or another reply is the one held
    at->second = true;
    released_.notify_all();
    released_.wait(lock, [&] { return held_.count(type) == 0; });
}

void ServiceDouble::on(const std::string& type, Script script)
{
    std::lock_guard lock(mutex_);
    scripts_[type] = std::move(script);
}

ServiceDouble::Script ServiceDouble::script(const std::string& type) const
{
    std::lock_guard lock(mutex_);
    auto at = scripts_.find(type);
    return at == scripts_.end() ? Script() : at->second;
}

void ServiceDouble::reply(const std::string& type, const std::string& bodyContent)
{
    on(type, [bodyContent](const Exchange& e) { return Reply{innerReply(e, bodyContent)}; });
}

void ServiceDouble::replyLogin(const std::vector<std::pair<std::string, std::string>>& fields)
{
    on("Login", [document = loginDocument(fields)](const Exchange&) { return Reply{document}; });
}

void ServiceDouble::fault(const std::string& type, Fault fault)
{
    std::lock_guard lock(mutex_);
    if (fault == Fault::None) faults_.erase(type);
    else faults_[type] = fault;
}

std::vector<Exchange> ServiceDouble::exchanges() const
{
    std::lock_guard lock(mutex_);
    return {exchanges_.begin(), exchanges_.end()};
}

size_t ServiceDouble::exchangeCount() const
{
    std::lock_guard lock(mutex_);
    return exchangeCount_;
}

bool ServiceDouble::waitForExchanges(size_t n, testserver::Millis timeout) const
{
    std::unique_lock lock(mutex_);
    return recorded_.wait_for(lock, timeout, [&] { return exchangeCount_ >= n; });
}

void ServiceDouble::record(Exchange exchange)
{
    {
        std::lock_guard lock(mutex_);
        ++exchangeCount_;
        exchanges_.push_back(std::move(exchange));
        if (exchanges_.size() > recordLimit_) exchanges_.pop_front();
    }
    recorded_.notify_all();
}

namespace {

std::string localTime(double since1970, const char* format)
{
    const auto t = static_cast<std::time_t>(since1970);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

}  // namespace

std::string ServiceDouble::now() { return localTime(NSClock::timeIntervalSince1970(), "%Y-%m-%d %H:%M:%S"); }

std::string ServiceDouble::daysAgo(int days)
{
    return localTime(NSClock::timeIntervalSince1970() - days * 86400.0, "%Y-%m-%d");
}

std::string ServiceDouble::innerReply(const Exchange& request, const std::string& bodyContent)
{
    return "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>SYS</SNDR><RCVR>" + request.sender +
           "</RCVR><SEQN>1</SEQN><DTTM>" + now() + "</DTTM><TYPE>" + request.type + "</TYPE></HEAD><BODY>" +
           bodyContent + "</BODY></MSG>";
}

std::string ServiceDouble::loginDocument(const std::vector<std::pair<std::string, std::string>>& fields)
{
    std::string doc = "<?xml version='1.0' encoding='utf-8' ?><LoginReturn>";
    for (const auto& [name, value] : fields) doc += "<" + name + ">" + value + "</" + name + ">";
    return doc + "</LoginReturn>";
}

void ServiceDouble::handle(const testserver::Request& request, testserver::Connection& c)
{
    Exchange exchange;
    exchange.request = request;
    std::string operation;
    if (serveCaptureImage(request, c)) return;
    if (isChartRequest(request)) {
        // Recorded before the answer, so whoever holds the chart finds its query.
        exchange.endpoint = "PieServlet";
        record(exchange);
        serveChartImage(request, c);
        return;
    }
    if (request.path == kMessagePath) exchange.endpoint = "MsgService", operation = "SendMessage";
    else if (request.path == kAuthPath) exchange.endpoint = "AuthService", operation = "Login";
    else if (request.path == kFilePath) exchange.endpoint = "FileService", operation = "UploadFile";
    else {
        c.send(404, "no such endpoint\n", {{"Content-Type", "text/plain"}});
        return;
    }
    if (request.method != "POST") {
        c.send(405, "POST only\n", {{"Content-Type", "text/plain"}, {"Allow", "POST"}});
        return;
    }

    // The envelope: header credentials and the operation's arguments.
    auto tree = XMLTree::initWithXMLString(NSString(request.body));
    const _XMLTreeElement* envelope = tree->rootXMLElement();
    const _XMLTreeElement* security = child(child(envelope, "Header"), "SecureSoapHeader");
    exchange.headerUserName = textOf(child(security, "UserName"));
    exchange.headerPassword = textOf(child(security, "PassWord"));
    const _XMLTreeElement* call = child(child(envelope, "Body"), operation);
    std::string ns = call ? XMLTree::valueOfAttributeNamed("xmlns", call).str() : std::string();

    if (operation == "SendMessage") {
        exchange.message = decipher(textOf(child(call, "p_strMsg")));
        // A sender may encipher its message itself before the transport does.
        if (!exchange.message.empty() && exchange.message.front() != '<') {
            std::string inner = decipher(exchange.message);
            if (!inner.empty()) exchange.message = inner, exchange.encipheredTwice = true;
        }
        readHead(exchange.message, exchange);
    } else if (operation == "Login") {
        exchange.type = "Login";
        exchange.projectID = decipher(textOf(child(call, "p_strProjectID")));
        exchange.userName = decipher(textOf(child(call, "p_strUserName")));
        exchange.password = decipher(textOf(child(call, "p_strUserPasswd")));
        exchange.sender = exchange.userName;
    } else {
        // The inner message travels as markup inside <msg>.
        size_t open = request.body.find("<msg>"), close = request.body.rfind("</msg>");
        if (open != std::string::npos && close != std::string::npos && close > open)
            exchange.message = request.body.substr(open + 5, close - open - 5);
        readHead(exchange.message, exchange);
    }

    if (!call || exchange.type.empty()) {
        exchange.fault = Fault::Http500;
        record(exchange);
        sendSoapFault(c, "The request is not a message of this service.");
        return;
    }

    Script script;
    Fault fault = Fault::None;
    {
        std::lock_guard lock(mutex_);
        if (auto s = scripts_.find(exchange.type); s != scripts_.end()) script = s->second;
        if (auto f = faults_.find(exchange.type); f != faults_.end()) fault = f->second;
        else if (auto any = faults_.find(""); any != faults_.end()) fault = any->second;
    }
    Reply answer;
    if (script) answer = script(exchange);
    else if (operation == "Login") answer.inner = loginDocument({{"RetNo", "1"}, {"RetMsg", "unknown account"}});
    else if (operation == "SendMessage") answer.inner = innerReply(exchange, "<Code>-1</Code><Desc>unknown request</Desc>");
    if (fault == Fault::None) fault = answer.fault;
    exchange.reply = answer.inner;
    exchange.fault = fault;
    const std::string type = exchange.type;
    record(std::move(exchange));
    waitWhileHeld(type);

    std::string inner = answer.inner;
    switch (fault) {
    case Fault::CloseConnection: c.close(); return;
    case Fault::Stall: c.stall(); return;
    case Fault::Http500: sendSoapFault(c, "Server was unable to process request."); return;
    case Fault::NoBody: {
        size_t body = inner.find("<BODY>");
        inner = body == std::string::npos ? inner : inner.substr(0, body) + "</MSG>";
        break;
    }
    case Fault::NotUTF8: inner = "\xff\xfe<MSG>\xc3</MSG>"; break;
    default: break;
    }

    std::string result = operation + "Result";
    std::string value = operation == "UploadFile" ? std::string("0")
                        : fault == Fault::BadBase64 ? std::string("%%%not-base64%%%")
                                                    : encipher(inner);
    std::string element = fault == Fault::NoResultElement  ? std::string()
                          : fault == Fault::EscapedResult ? "&lt;" + result + "&gt;" + value + "&lt;/" + result + "&gt;"
                                                          : "<" + result + ">" + value + "</" + result + ">";
    std::string body = std::string(kSoapOpen) + "<" + operation + "Response xmlns=\"" + escaped(ns) + "\">" + element +
                       "</" + operation + "Response>" + kSoapClose;
    if (fault == Fault::NotUTF8Response) body.insert(body.find("<soap:Body>"), "\xff\xfe");
    c.send(200, body, soapHeaders());
}

}  // namespace servicedouble
