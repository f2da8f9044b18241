// monitor/MonitorFormTest.h: the fixture of the monitor form's tests: a
// form on the headless backend, fed reports as a sender delivers them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "monitor/GlintExp.h"
#include "ui/headless/Headless.h"

namespace glint {

class TMonitorFormTest : public ::testing::Test {
 protected:
  void SetUp() override { Form = new TGlintMonitor(&Application()); }
  void TearDown() override { delete Form; }

  // Delivers `text` as WM_COPYDATA; the form must take it.
  void Send(const std::string& text) {
    TCopyDataStruct data;
    data.cbData = static_cast<std::uint32_t>(text.size());
    data.lpData = text.data();
    ASSERT_EQ(DeliverMessage(*Form, kWmCopyData, 0, reinterpret_cast<std::intptr_t>(&data)), 1);
  }

  THeadless Backend;
  TGlintMonitor* Form = nullptr;
};

}  // namespace glint
