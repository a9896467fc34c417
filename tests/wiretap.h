#pragma once
// Every UDP datagram sent to one loopback address, in the order it crossed the wire, with its source
// and destination ports. A raw socket sees them all at once; it needs root (or CAP_NET_RAW) and Linux.

#include <QByteArray>
#include <QHostAddress>
#include <QList>

#include <iterator>

#ifdef __linux__
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/filter.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace test {

struct WireDatagram
{
    quint16 sourcePort = 0;
    quint16 destinationPort = 0;
    QByteArray data;
};

class WireTap
{
public:
    explicit WireTap(const QHostAddress &destination) : destination_(destination.toIPv4Address())
    {
#ifdef __linux__
        fd_ = ::socket(AF_INET, SOCK_RAW, IPPROTO_UDP);
        if (fd_ >= 0) {
            // Only datagrams to the one address reach the socket, whatever else loopback carries.
            sock_filter code[] = {
                BPF_STMT(BPF_LD | BPF_W | BPF_ABS, 16),  // the IPv4 destination
                BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, destination_, 0, 1),
                BPF_STMT(BPF_RET | BPF_K, 0xFFFF),
                BPF_STMT(BPF_RET | BPF_K, 0),
            };
            sock_fprog program{static_cast<unsigned short>(std::size(code)), code};
            ::setsockopt(fd_, SOL_SOCKET, SO_ATTACH_FILTER, &program, sizeof program);
            ::fcntl(fd_, F_SETFL, O_NONBLOCK);
            int size = 8 << 20;
            ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        }
#endif
    }
    ~WireTap()
    {
#ifdef __linux__
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }
    bool available() const
    {
        return fd_ >= 0;
    }

    // What has arrived since the last call.
    QList<WireDatagram> take()
    {
        QList<WireDatagram> out;
#ifdef __linux__
        QByteArray buffer(70000, '\0');
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (n <= 0)
                break;
            const auto *p = reinterpret_cast<const unsigned char *>(buffer.constData());
            const int header = (p[0] & 0x0F) * 4;
            if (n < header + 8)
                continue;
            const quint32 to = quint32(p[16]) << 24 | quint32(p[17]) << 16 | quint32(p[18]) << 8 | p[19];
            if (to != destination_)
                continue;
            WireDatagram datagram;
            datagram.sourcePort = quint16(p[header] << 8 | p[header + 1]);
            datagram.destinationPort = quint16(p[header + 2] << 8 | p[header + 3]);
            datagram.data = buffer.mid(header + 8, n - header - 8);
            out << datagram;
        }
#endif
        return out;
    }

private:
    quint32 destination_;
    int fd_ = -1;
};

}  // namespace test
