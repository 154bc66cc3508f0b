#pragma once
// The directory window: the listing of one file of the results, drawn the way
// the C64 shows a directory (on a blue screen inside a light blue border, in
// its character set when the Sixtyfour font is installed, on a grid of
// character cells), the entries the search matched in reverse, the first of
// them in view. It can open the folder that holds the file and copy the
// listing's lines.
#include "common/ErrorTrap.h"
#include "common/MessageBox.h"
#include "forms/ResultsBox.h"
#include "search/Listing.h"
#include "tools/ToolEnv.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QUrl;

namespace qs::forms {

class ScreenGrid;

// Hands a folder or file to the desktop's opener; true when a program took it.
using UrlOpener = std::function<bool(const QUrl& url)>;

// What listing a file of the results again takes: the search's tools and way
// with archives, where errors and messages go, and the request whose matches
// are shown.
struct ListingEnv {
    ToolEnv tools;
    bool externalArchiver = false;
    const ErrorTrap& trap;
    MessageSink& sink;
    const SearchRequest& search;
};

class DirectoryWindow final : public QDialog {
    Q_OBJECT
  public:
    DirectoryWindow(const DirectoryListing& listing, const std::vector<MatchRecord>& matches,
                    const ResultBlock& block, MessageSink& sink, UrlOpener openUrl,
                    QWidget* parent = nullptr);

    // The listing's lines as shown and copied.
    const std::vector<std::string>& lines() const { return lines_; }
    ScreenGrid* screen() const { return screen_; }

  private:
    void openFolder();
    void copyListing();

    std::vector<std::string> lines_;
    ScreenGrid* screen_ = nullptr;
    std::string folder_; // holds the file, or the archive of a member
    MessageSink& sink_;
    UrlOpener openUrl_;
};

// Lists the block's file (a member read again from its archive), matches it
// as the search did, and opens its directory window over `owner`. Errors are shown and logged by
// the trap; a file with nothing to list is told in a box. Answers the window, or null.
DirectoryWindow* showDirectory(QWidget* owner, const ResultBlock& block, const ListingEnv& env,
                               UrlOpener openUrl);

} // namespace qs::forms
