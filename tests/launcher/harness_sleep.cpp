// Sleeps for the milliseconds its argument gives: the launcher harness waits for a timer with
// it, since Wine's WScript.Sleep is not implemented.
// With --serve PORTFILE it is a sleeper that stays: it listens on 127.0.0.1, writes its port
// to PORTFILE, and answers each request "GET /<milliseconds>" after that long. The harness
// then waits through MSXML2.XMLHTTP instead of starting a process per wait, which under Wine
// costs about a quarter of a second and takes processor time from the encoders.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

bool WritePort(const wchar_t* path, unsigned port) {
    const std::string text = std::to_string(port);
    const std::wstring part = std::wstring(path) + L".part";
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return MoveFileExW(part.c_str(), path, MOVEFILE_REPLACE_EXISTING) != 0;
}

// Reads a request up to its blank line and answers it once its wait is over.
void Answer(SOCKET client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0) return;
        request.append(buffer, got);
    }
    const size_t slash = request.find('/');
    if (slash != std::string::npos) Sleep(std::strtoul(request.c_str() + slash + 1, nullptr, 10));
    static const char kAnswer[] =
        "HTTP/1.0 200 OK\r\nContent-Length: 0\r\nCache-Control: no-store\r\n"
        "Connection: close\r\n\r\n";
    send(client, kAnswer, sizeof kAnswer - 1, 0);
}

int Serve(const wchar_t* portFile) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (listener == INVALID_SOCKET ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        !WritePort(portFile, ntohs(address.sin_port)))
        return 1;
    for (;;) {
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return 1;
        Answer(client);
        closesocket(client);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 2 && std::wcscmp(argv[1], L"--serve") == 0) return Serve(argv[2]);
    if (argc > 1) Sleep(static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10)));
    return 0;
}
