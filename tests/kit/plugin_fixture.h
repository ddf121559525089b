// A fresh plug-in for every test: loaded into the host simulator as the host
// loads it, and unloaded afterwards with the host's books checked.
#pragma once

#include <gtest/gtest.h>

#include "sim/host/sim_host.h"

class PluginTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    int32_t SetupKorvu() { return plugin_.setup(sim::HostWindow()); }
    int32_t SetupKorvuWith(HWND host) { return plugin_.setup(host); }
    int32_t FinishKorvu() { return plugin_.finish(0); }
    HMODULE Dll() const { return plugin_.dll; }

    // Set-up that must succeed; the common start of most tests.
    void SetupKorvuOrFail();

private:
    sim::Plugin plugin_;
};
