// A simulated home router on the loopback, for the tests and the end-to-end
// scripts of network play: a UPnP internet gateway (SSDP answers on
// 239.255.255.250:1900, joined on the loopback interface; its description
// and WANIPConnection's actions over HTTP) and a NAT-PMP responder on UDP
// port 5351 of the given address. Every mapping added, renewed, removed or
// refused is one line of the log, flushed at once.
//
// fake_router [--address 127.0.0.1] [--mode MODE] [--external ADDRESS] [--log FILE]
//
// MODE: normal; permanent (UPnP refuses any lease but 0 with error 725);
// refuse (error 718 and NAT-PMP's "not authorized"); garbage (answers that
// make no sense); silent (found by SSDP, then never answers); natpmp (no
// UPnP, only NAT-PMP). The external address is 203.0.113.5 unless given.
// It runs until killed; its first line says "ready".

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

enum class Mode { Normal, Permanent, Refuse, Garbage, Silent, NatPmp };

struct Options {
    std::string address = "127.0.0.1";
    std::string external = "203.0.113.5";
    Mode mode = Mode::Normal;
    FILE* log = stdout;
};

struct Mapping {
    std::string client;
    std::string internalPort;
    std::string lease;
};

struct Connection {
    int fd;
    std::string in;
};

Options options;
std::map<std::string, Mapping> upnpMappings; // by external port
std::map<uint16_t, uint32_t> natpmpMappings; // private port to lifetime
int garbageCount = 0;

void say(const std::string& line) {
    std::fprintf(options.log, "%s\n", line.c_str());
    std::fflush(options.log);
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fake_router: %s: %s\n", what, std::strerror(errno));
    std::exit(2);
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The value of a header, or "".
std::string header(const std::string& request, const std::string& name) {
    const std::string l = lower(request);
    const std::size_t at = l.find("\r\n" + lower(name) + ":");
    if (at == std::string::npos)
        return {};
    std::size_t begin = at + name.size() + 3;
    const std::size_t end = request.find("\r\n", begin);
    while (begin < end && request[begin] == ' ')
        ++begin;
    return request.substr(begin, end - begin);
}

// The text of <name>...</name>, or "".
std::string element(const std::string& body, const std::string& name) {
    const std::size_t open = body.find("<" + name + ">");
    if (open == std::string::npos)
        return {};
    const std::size_t begin = open + name.size() + 2;
    const std::size_t close = body.find("</" + name + ">", begin);
    return close == std::string::npos ? std::string() : body.substr(begin, close - begin);
}

int httpPort = 0;

std::string location() {
    return "http://" + options.address + ":" + std::to_string(httpPort) + "/rootDesc.xml";
}

const char* const kIpConnection = "urn:schemas-upnp-org:service:WANIPConnection:1";

std::string description() {
    auto service = [](const char* type, const char* id, const char* name) {
        return std::string("<service><serviceType>") + type + "</serviceType><serviceId>" + id +
               "</serviceId><controlURL>/ctl/" + name + "</controlURL><eventSubURL>/evt/" + name +
               "</eventSubURL><SCPDURL>/" + name + ".xml</SCPDURL></service>";
    };
    return std::string("<?xml version=\"1.0\"?>\r\n<root xmlns=\"urn:schemas-upnp-org:device-1-0\">"
                       "<specVersion><major>1</major><minor>0</minor></specVersion><device>"
                       "<deviceType>urn:schemas-upnp-org:device:InternetGatewayDevice:1"
                       "</deviceType><friendlyName>Test router</friendlyName>"
                       "<manufacturer>Tessarin tests</manufacturer><modelName>fake</modelName>"
                       "<UDN>uuid:7e55a000-0000-4000-8000-000000000001</UDN><deviceList><device>"
                       "<deviceType>urn:schemas-upnp-org:device:WANDevice:1</deviceType>"
                       "<friendlyName>WAN</friendlyName>"
                       "<UDN>uuid:7e55a000-0000-4000-8000-000000000002</UDN><serviceList>") +
           service("urn:schemas-upnp-org:service:WANCommonInterfaceConfig:1",
                   "urn:upnp-org:serviceId:WANCommonIFC1", "CmnIfCfg") +
           "</serviceList><deviceList><device>"
           "<deviceType>urn:schemas-upnp-org:device:WANConnectionDevice:1</deviceType>"
           "<friendlyName>WAN connection</friendlyName>"
           "<UDN>uuid:7e55a000-0000-4000-8000-000000000003</UDN><serviceList>" +
           service(kIpConnection, "urn:upnp-org:serviceId:WANIPConn1", "IPConn") +
           "</serviceList></device></deviceList></device></deviceList></device></root>\r\n";
}

std::string httpReply(const std::string& status, const std::string& type, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Type: " + type +
           "\r\nConnection: close\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

std::string soap(const std::string& action, const std::string& args) {
    return httpReply("200 OK", "text/xml; charset=\"utf-8\"",
                     "<?xml version=\"1.0\"?>\r\n<s:Envelope "
                     "xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" "
                     "s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body><u:" +
                         action + "Response xmlns:u=\"" + kIpConnection + "\">" + args +
                         "</u:" + action + "Response></s:Body></s:Envelope>\r\n");
}

std::string soapFault(int code, const std::string& description) {
    return httpReply(
        "500 Internal Server Error", "text/xml; charset=\"utf-8\"",
        "<?xml version=\"1.0\"?>\r\n<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
        "envelope/\" s:encodingStyle=\"http://schemas.xmlsoap.org/soap/encoding/\"><s:Body>"
        "<s:Fault><faultcode>s:Client</faultcode><faultstring>UPnPError</faultstring><detail>"
        "<UPnPError xmlns=\"urn:schemas-upnp-org:control-1-0\"><errorCode>" +
            std::to_string(code) + "</errorCode><errorDescription>" + description +
            "</errorDescription></UPnPError></detail></s:Fault></s:Body></s:Envelope>\r\n");
}

// Answers that make no sense, a different one each time.
std::string garbage(const std::string& action) {
    switch (garbageCount++ % 4) {
    case 0:
        return httpReply("200 OK", "text/xml", std::string("\x00\xff<<<>>&&\x01", 10));
    case 1:
        return soap(action, "<NewExternalIPAddress>" + std::string(5000, '9') +
                                "</NewExternalIPAddress><NewConnectionStatus>" +
                                std::string(3000, 'C') +
                                "</NewConnectionStatus><NewInternalClient>" +
                                std::string(2000, '1') + "</NewInternalClient><NewLeaseDuration>" +
                                "-77777777777777777777</NewLeaseDuration>");
    case 2:
        return "HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n<s:Envelope>";
    default:
        return soapFault(0, std::string(3000, '\x07'));
    }
}

std::string soapAction(const std::string& request) {
    std::string action = header(request, "SOAPAction");
    const std::size_t hash = action.find('#');
    if (hash == std::string::npos)
        return {};
    action = action.substr(hash + 1);
    while (!action.empty() && (action.back() == '"' || action.back() == ' '))
        action.pop_back();
    return action;
}

std::string control(const std::string& request, const std::string& body) {
    const std::string action = soapAction(request);
    if (options.mode == Mode::Garbage)
        return garbage(action);
    if (action == "GetStatusInfo")
        return soap(action, "<NewConnectionStatus>Connected</NewConnectionStatus>"
                            "<NewLastConnectionError>ERROR_NONE</NewLastConnectionError>"
                            "<NewUptime>1000</NewUptime>");
    if (action == "GetConnectionTypeInfo")
        return soap(action, "<NewConnectionType>IP_Routed</NewConnectionType>"
                            "<NewPossibleConnectionTypes>IP_Routed</NewPossibleConnectionTypes>");
    if (action == "GetExternalIPAddress")
        return soap(action,
                    "<NewExternalIPAddress>" + options.external + "</NewExternalIPAddress>");
    const std::string port = element(body, "NewExternalPort");
    const std::string protocol = element(body, "NewProtocol");
    const std::string what = "upnp " + protocol + " " + port;
    if (action == "AddPortMapping") {
        Mapping m{element(body, "NewInternalClient"), element(body, "NewInternalPort"),
                  element(body, "NewLeaseDuration")};
        const auto known = upnpMappings.find(protocol + port);
        if (options.mode == Mode::Refuse ||
            (known != upnpMappings.end() && known->second.client != m.client)) {
            say("refused " + what + " 718");
            return soapFault(718, "ConflictInMappingEntry");
        }
        if (options.mode == Mode::Permanent && m.lease != "0") {
            say("refused " + what + " 725 lease " + m.lease);
            return soapFault(725, "OnlyPermanentLeasesSupported");
        }
        say((known == upnpMappings.end() ? "added " : "renewed ") + what + " -> " + m.client + ":" +
            m.internalPort + " lease " + m.lease);
        upnpMappings[protocol + port] = m;
        return soap(action, "");
    }
    if (action == "GetSpecificPortMappingEntry") {
        const auto known = upnpMappings.find(protocol + port);
        if (known == upnpMappings.end())
            return soapFault(714, "NoSuchEntryInArray");
        const Mapping& m = known->second;
        return soap(action, "<NewInternalPort>" + m.internalPort + "</NewInternalPort>" +
                                "<NewInternalClient>" + m.client + "</NewInternalClient>" +
                                "<NewEnabled>1</NewEnabled><NewPortMappingDescription>Tessarin"
                                "</NewPortMappingDescription><NewLeaseDuration>" +
                                m.lease + "</NewLeaseDuration>");
    }
    if (action == "DeletePortMapping") {
        if (upnpMappings.erase(protocol + port) == 0)
            return soapFault(714, "NoSuchEntryInArray");
        say("removed " + what);
        return soap(action, "");
    }
    return soapFault(401, "Invalid Action");
}

// A whole request's answer, or "" while more is to come.
std::optional<std::string> answer(const std::string& in) {
    const std::size_t end = in.find("\r\n\r\n");
    if (end == std::string::npos)
        return std::nullopt;
    const std::string head = in.substr(0, end + 2);
    const std::size_t length = std::strtoul(header(head, "Content-Length").c_str(), nullptr, 10);
    if (in.size() < end + 4 + length)
        return std::nullopt;
    const std::string body = in.substr(end + 4, length);
    if (head.rfind("GET /rootDesc.xml ", 0) == 0)
        return httpReply("200 OK", "text/xml; charset=\"utf-8\"", description());
    if (head.rfind("POST /ctl/IPConn ", 0) == 0)
        return control(head, body);
    return httpReply("404 Not Found", "text/plain", "not here\n");
}

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        sent += static_cast<std::size_t>(n);
    }
}

// SSDP: a search for an internet gateway gets where its description is.
void ssdp(int listener, int sender) {
    char buf[2048];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n =
        recvfrom(listener, buf, sizeof buf - 1, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n <= 0 || options.mode == Mode::NatPmp)
        return;
    const std::string request(buf, static_cast<std::size_t>(n));
    if (request.rfind("M-SEARCH", 0) != 0)
        return;
    std::string st = header(request, "ST");
    if (st == "ssdp:all")
        st = "urn:schemas-upnp-org:device:InternetGatewayDevice:1";
    if (st != "upnp:rootdevice" && st.find("InternetGatewayDevice") == std::string::npos &&
        st.find("WANIPConnection") == std::string::npos)
        return;
    say("searched " + st);
    const std::string reply =
        "HTTP/1.1 200 OK\r\nCACHE-CONTROL: max-age=120\r\nST: " + st +
        "\r\nUSN: uuid:7e55a000-0000-4000-8000-000000000001::" + st +
        "\r\nEXT:\r\nSERVER: Linux UPnP/1.1 fake_router/1.0\r\nLOCATION: " + location() +
        "\r\n\r\n";
    sendto(sender, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
}

void put16(std::string& out, uint16_t v) {
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v & 0xFF);
}
void put32(std::string& out, uint32_t v) {
    put16(out, static_cast<uint16_t>(v >> 16));
    put16(out, static_cast<uint16_t>(v & 0xFFFF));
}

void natpmp(int fd) {
    unsigned char in[64];
    sockaddr_in from{};
    socklen_t fromLength = sizeof from;
    const ssize_t n =
        recvfrom(fd, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &fromLength);
    if (n < 2 || in[0] != 0 || options.mode == Mode::Silent)
        return;
    const unsigned op = in[1];
    std::string out;
    if (options.mode == Mode::Garbage) {
        const int which = garbageCount++ % 3;
        out = which == 0   ? std::string("\x01\x80", 2)
              : which == 1 ? std::string(1000, '\xff')
                           : std::string(16, '\0');
        if (which == 2)
            out[1] = static_cast<char>(0x80 + op + 1); // an answer to another question
    } else if (op == 0 && n >= 2) {
        out += '\0';
        out += static_cast<char>(0x80);
        put16(out, 0);
        put32(out, 1000);
        in_addr external{};
        inet_pton(AF_INET, options.external.c_str(), &external);
        out.append(reinterpret_cast<const char*>(&external.s_addr), 4);
    } else if ((op == 1 || op == 2) && n >= 12) {
        const uint16_t internal = static_cast<uint16_t>(in[4] << 8 | in[5]);
        const uint32_t lifetime = static_cast<uint32_t>(in[8]) << 24 |
                                  static_cast<uint32_t>(in[9]) << 16 |
                                  static_cast<uint32_t>(in[10]) << 8 | in[11];
        const std::string what =
            std::string("natpmp ") + (op == 2 ? "TCP " : "UDP ") + std::to_string(internal);
        const uint16_t result = options.mode == Mode::Refuse ? 2 : 0;
        if (result != 0)
            say("refused " + what + " 2");
        else if (lifetime == 0 && natpmpMappings.erase(internal))
            say("removed " + what);
        else if (lifetime != 0)
            say((natpmpMappings.count(internal) ? "renewed " : "added ") + what + " lease " +
                std::to_string(lifetime));
        if (result == 0 && lifetime != 0)
            natpmpMappings[internal] = lifetime;
        out += '\0';
        out += static_cast<char>(0x80 + op);
        put16(out, result);
        put32(out, 1000);
        put16(out, internal);
        put16(out, lifetime == 0 ? 0 : internal);
        put32(out, lifetime);
    } else {
        return;
    }
    sendto(fd, out.data(), out.size(), 0, reinterpret_cast<sockaddr*>(&from), fromLength);
}

int udpSocket() {
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0)
        fail("socket");
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    return fd;
}

sockaddr_in ipv4(const std::string& address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    if (inet_pton(AF_INET, address.c_str(), &a.sin_addr) != 1) {
        std::fprintf(stderr, "fake_router: not an IPv4 address: %s\n", address.c_str());
        std::exit(2);
    }
    return a;
}

bool parse(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--address") {
            options.address = value;
        } else if (name == "--external") {
            options.external = value;
        } else if (name == "--log") {
            options.log = std::fopen(value.c_str(), "a");
            if (!options.log)
                fail(value.c_str());
        } else if (name == "--mode") {
            const std::pair<const char*, Mode> modes[] = {
                {"normal", Mode::Normal}, {"permanent", Mode::Permanent},
                {"refuse", Mode::Refuse}, {"garbage", Mode::Garbage},
                {"silent", Mode::Silent}, {"natpmp", Mode::NatPmp}};
            bool known = false;
            for (const auto& [text, mode] : modes)
                if (value == text) {
                    options.mode = mode;
                    known = true;
                }
            if (!known)
                return false;
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

} // namespace

int main(int argc, char** argv) {
    if (!parse(argc, argv)) {
        std::fprintf(stderr, "usage: fake_router [--address A] [--mode normal|permanent|refuse|"
                             "garbage|silent|natpmp] [--external A] [--log FILE]\n");
        return 2;
    }
    // SSDP: the multicast group, joined on the loopback interface only.
    const int search = udpSocket();
    sockaddr_in group = ipv4("239.255.255.250", 1900);
    if (bind(search, reinterpret_cast<sockaddr*>(&group), sizeof group) != 0)
        fail("bind 239.255.255.250:1900");
    ip_mreq join{};
    join.imr_multiaddr = group.sin_addr;
    join.imr_interface = ipv4(options.address, 0).sin_addr;
    if (setsockopt(search, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) != 0)
        fail("joining 239.255.255.250");
    const int searchReply = udpSocket();
    sockaddr_in own = ipv4(options.address, 0);
    if (bind(searchReply, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0)
        fail("bind");
    // HTTP, on a port of the system's choosing.
    const int web = socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    setsockopt(web, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(web, reinterpret_cast<sockaddr*>(&own), sizeof own) != 0 || listen(web, 16) != 0)
        fail("HTTP socket");
    socklen_t ownLength = sizeof own;
    getsockname(web, reinterpret_cast<sockaddr*>(&own), &ownLength);
    httpPort = ntohs(own.sin_port);
    // NAT-PMP.
    const int pmp = udpSocket();
    sockaddr_in pmpAddress = ipv4(options.address, 5351);
    if (bind(pmp, reinterpret_cast<sockaddr*>(&pmpAddress), sizeof pmpAddress) != 0)
        fail("bind NAT-PMP port 5351");
    say("ready " + location() + " natpmp " + options.address + ":5351");

    std::vector<Connection> connections;
    for (;;) {
        std::vector<pollfd> fds = {{search, POLLIN, 0}, {web, POLLIN, 0}, {pmp, POLLIN, 0}};
        for (const Connection& c : connections)
            fds.push_back({c.fd, POLLIN, 0});
        if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
            fail("poll");
        if (fds[0].revents & POLLIN)
            ssdp(search, searchReply);
        if (fds[2].revents & POLLIN)
            natpmp(pmp);
        if (fds[1].revents & POLLIN) {
            const int fd = accept(web, nullptr, nullptr);
            if (fd >= 0)
                connections.push_back({fd, {}});
        }
        for (std::size_t i = 3; i < fds.size(); ++i) {
            if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Connection& c = connections[i - 3];
            char buf[4096];
            const ssize_t n = recv(c.fd, buf, sizeof buf, 0);
            bool done = n <= 0 || c.in.size() > 65536;
            if (n > 0)
                c.in.append(buf, static_cast<std::size_t>(n));
            if (!done && options.mode != Mode::Silent) {
                if (const auto reply = answer(c.in)) {
                    sendAll(c.fd, *reply);
                    done = true;
                }
            }
            if (done) {
                close(c.fd);
                c.fd = -1;
            }
        }
        std::erase_if(connections, [](const Connection& c) { return c.fd < 0; });
    }
}
