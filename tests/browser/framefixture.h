#pragma once

// The project document with the real main frame around it: a new project,
// the frame shown at a fixed size, its browser registered with the document.

#include "app/mainframe.h"
#include "browser/textcoderwindow.h"
#include "document/docfixture.h"
#include "foundation/options.h"

#include <QTest>

#include <memory>

namespace browsertest {

class FrameTest : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        BuildOptionDefinitions();
        NewProject();
        ShowFrame();
    }
    void TearDown() override
    {
        frame.reset();
        DocTest::TearDown();
    }
    /// A new frame on the open project, 900 × 600, exposed.
    void ShowFrame()
    {
        frame = std::make_unique<CMainFrame>(nullptr, &doc);
        frame->resize(900, 600);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }

    TextCoderWindow& browser() { return *frame->BrowserWindow(); }

    std::unique_ptr<CMainFrame> frame;
};

}  // namespace browsertest
