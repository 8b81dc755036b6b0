#pragma once
// Moves the calling thread into a network namespace of its own whose loopback
// ignores echo requests, so an echo there times out as with an absent coupler. The
// window thread stays there: a test calls it last. Needs the right to create network
// namespaces; false when that is not allowed.

#include <cstdio>
#include <fstream>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

inline bool EnterSilentLoopback() {
    if (::unshare(CLONE_NEWNET) != 0) return false;
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (fd < 0) return false;
    ifreq ifr{};
    std::snprintf(ifr.ifr_name, IFNAMSIZ, "lo");
    bool up = ::ioctl(fd, SIOCGIFFLAGS, &ifr) == 0;
    ifr.ifr_flags = static_cast<short>(ifr.ifr_flags | IFF_UP);
    up = up && ::ioctl(fd, SIOCSIFFLAGS, &ifr) == 0;
    ::close(fd);
    if (!up) return false;
    std::ofstream ignore("/proc/sys/net/ipv4/icmp_echo_ignore_all");
    ignore << "1\n";
    return static_cast<bool>(ignore);
}
