// A fresh plug-in for every test: loaded into the host simulator as the host
// loads it, and unloaded afterwards with the host's books checked.
#pragma once

#include <gtest/gtest.h>

#include "sim/host/sim_host.h"
#include "sim/driver/sim_driver.h"

class PluginTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    int32_t SetupKorvu() { return SetupKorvuWith(sim::HostWindow()); }
    int32_t SetupKorvuWith(HWND host);
    int32_t FinishKorvu();
    int32_t Wep() { return plugin_.wep(0); }
    HMODULE Dll() const { return plugin_.dll; }

    // Set-up that must succeed; the common start of most tests.
    void SetupKorvuOrFail();

    // The simulated driver, loaded and reset (no boards) before every test,
    // so that the plug-in's load of "tovel.dll" finds it.
    SimDriver& Driver() { return driver_; }

private:
    SimDriver driver_;
    sim::Plugin plugin_;
    bool finishDue_ = false;  // the host finishes what it set up
};
