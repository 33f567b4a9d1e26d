// Stage 42: the page around the ten rows, added to the output pane.
#include "cp932_literals.h"
#include "run.h"

namespace numerlo {

bool TableRun::assemblePage(int /*unused*/) {
    const std::string& first = tables_.SerialTexts[0];
    const std::string& last = tables_.SerialTexts[kDraws - 1];
    const auto appendTitle = [&](std::string& page) {
        page += literals::kTitleOpen;
        page += first;
        page += literals::kWaveDash;
        page += last;
        page += literals::kTitleClose;
    };

    std::string& page = page_;
    page.clear();
    page += "<HTML>\r\n<HEAD>\r\n";
    page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=x-sjis\">\r\n";
    page += R"(<meta name="description" content=")";
    appendTitle(page);
    page += "\">\r\n<meta name=\"keywords\" content=\"";
    page += literals::kKeywords;
    page += "\">\r\n<TITLE>";
    appendTitle(page);
    page += "</TITLE>\r\n</HEAD>\r\n";
    page += "<BODY bgcolor = \"#FFFFFF\" vlink = \"#FF00FF\" >\r\n";
    page += "<basefont size = \"3\">\r\n";
    page += "<H1 align = center>\r\n";
    page += "<FONT color = \"#ff0000\" >";
    appendTitle(page);
    page += "</FONT></H1>\r\n";
    page += "<HR Align = Center>\r\n";
    page += "<Table Border=1 CellSpacing=1 CellPadding=1>\r\n";
    page += "<Caption Align=\"Top\">\r\n";
    page += "<center><FONT SIZE=\"+1\" ><b>";
    page += literals::kCaption;
    page += "</b></FONT></center>\r\n";
    page += "</Caption>\r\n";
    for (const std::string& row : tables_.RowTexts) {
        page += row;
    }
    page += "</Table>\r\n";
    page += "<HR Align = Center>\r\n";
    page += R"(<FONT SIZE="+2" ><b><A HREF = ")";
    page += homePageUrl_;
    page += "\">";
    page += literals::kTopPageLink;
    page += "</A></b></FONT>\r\n";
    page += "</BODY>\r\n";
    page += "</HTML>";

    window_.addToOutputPane(page);
    return true;
}

}  // namespace numerlo
