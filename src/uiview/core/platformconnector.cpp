#include "uiview/core/uiviewlink.h"

#ifdef Q_OS_WIN
#include "uiview/win/comlink.h"
#endif

namespace {

/// Where this platform has no way to reach UI-View32 yet: every attempt fails.
class UnreachableConnector final : public UiViewConnector
{
public:
    std::unique_ptr<UiViewApplication> createApplication() override { return nullptr; }
};

} // namespace

std::unique_ptr<UiViewConnector> createPlatformConnector()
{
#ifdef Q_OS_WIN
    return std::make_unique<ComConnector>();
#else
    return std::make_unique<UnreachableConnector>();
#endif
}
