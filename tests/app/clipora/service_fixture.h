// Helpers of the local-service tests: a drive C of its own with a fake downloader (the
// video site lies off this machine), a listening socket on the loopback interface, plain
// HTTP requests and the real wget.
#pragma once

#include <string>

namespace ServiceFixture {

// A fresh folder for one test (removed by the caller's TearDown via RemoveAll).
std::string MakeTempFolder();
void RemoveAll(const std::string& folder);

// Writes an executable shell script.
void WriteScript(const std::string& path, const std::string& body);
std::string ReadFile(const std::string& path);

// A listening socket on 127.0.0.1 and its port.
int Listen(int& port);

// Sends `request` as it is and reads the whole answer (until the server closes).
std::string Exchange(int port, const std::string& request, int timeoutMs = 10000);

// Runs a shell command line; its exit status.
int Shell(const std::string& commandLine);

}  // namespace ServiceFixture
