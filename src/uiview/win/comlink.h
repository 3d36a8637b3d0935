#pragma once

#include "uiview/core/uiviewlink.h"

/// Connects to UI-View32 through COM automation.
class ComConnector final : public UiViewConnector
{
public:
    std::unique_ptr<UiViewApplication> createApplication() override;
    QString lastProblem() const override;

private:
    QString m_problem;
};
