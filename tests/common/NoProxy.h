// NoProxy: the proxy variables unset, so that a test's requests go straight
// to its loopback servers whatever proxy the machine running it has set.
// Call it once, before the first request (initTestCase).
#pragma once

#include <QtGlobal>

namespace NoProxy {

inline void Unset() {
  for (const char *name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY",
                           "no_proxy", "NO_PROXY"})
    qunsetenv(name);
}

}  // namespace NoProxy
