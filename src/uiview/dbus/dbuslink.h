#pragma once

#include "uiview/core/uiviewlink.h"

/// Connects to a UI-View32 that serves its objects on the session bus.
class DBusConnector final : public UiViewConnector
{
public:
    std::unique_ptr<UiViewApplication> createApplication() override;
    QString lastProblem() const override;

private:
    QString m_problem;
};
