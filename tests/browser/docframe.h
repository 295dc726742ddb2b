#pragma once

// The main frame shown over a new project that the test fills through the
// document fixture's builders, for tests of the browser in its frame.

#include "app/mainframe.h"
#include "browser/browserfixture.h"
#include "foundation/options.h"

#include <QApplication>

namespace browsertest {

class DocFrame : public doctest::DocTest {
protected:
    void SetUp() override
    {
        DocTest::SetUp();
        BuildOptionDefinitions();
        NewProject();
        frame = std::make_unique<CMainFrame>(nullptr, &doc);
        frame->resize(900, 600);
        frame->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void TearDown() override
    {
        // A popup left open would outlive the frame it belongs to.
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
        frame.reset();
        DocTest::TearDown();
    }

    TextCoderWindow& browser() { return *frame->BrowserWindow(); }
    CSideColumnG& text() { return *browser().TextControl(); }

    std::unique_ptr<CMainFrame> frame;
};

}  // namespace browsertest
