// virtual-board.exe for tests under Wine: virtual-board needs a pseudo-terminal and stays a Linux
// program, which a Windows program cannot usefully start. This stand-in asks the board broker
// (scripts/windows/board-broker.py, started on the Linux side by test.sh; its TCP port in
// TESSAVEL_BOARD_BROKER) to start a virtual-board with the same arguments, then relays standard input
// and output both ways. The broker maps the board's pseudo-terminal to a COM port of the Wine prefix
// and answers the PORT line with that port's name, so testsupport::VirtualBoard works unchanged.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

bool sendAll(SOCKET socket, const char* data, int size)
{
    while (size > 0) {
        const int sent = send(socket, data, size, 0);
        if (sent <= 0)
            return false;
        data += sent;
        size -= sent;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    const char* brokerPort = std::getenv("TESSAVEL_BOARD_BROKER");
    if (!brokerPort || !*brokerPort) {
        std::fprintf(stderr, "virtual-board: no board broker (TESSAVEL_BOARD_BROKER is not set); run the "
                             "tests through scripts/windows/test.sh\n");
        return 2;
    }
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        return 2;
    SOCKET socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(std::atoi(brokerPort)));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (socket == INVALID_SOCKET ||
        connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
        std::fprintf(stderr, "virtual-board: cannot reach the board broker on port %s\n", brokerPort);
        return 2;
    }
    // The arguments, tab-separated, on the first line.
    std::string request = "ARGS";
    for (int i = 1; i < argc; ++i)
        request += std::string("\t") + argv[i];
    request += "\n";
    if (!sendAll(socket, request.data(), static_cast<int>(request.size())))
        return 2;

    std::thread input([socket] {
        HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(in, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            if (!sendAll(socket, buffer, static_cast<int>(got)))
                break;
        }
        // End of input ends the board, as it does for the real program.
        shutdown(socket, SD_SEND);
    });
    input.detach();

    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    char buffer[4096];
    for (;;) {
        const int got = recv(socket, buffer, sizeof(buffer), 0);
        if (got <= 0)
            break;
        DWORD written = 0;
        WriteFile(out, buffer, static_cast<DWORD>(got), &written, nullptr);
    }
    closesocket(socket);
    // The input thread may still block on standard input: end the process without waiting for it.
    ExitProcess(0);
}
