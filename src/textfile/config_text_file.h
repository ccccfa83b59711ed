// textfile/config_text_file.h: the start-up configuration file. Its lines are
// directives (name=value), possibly grouped into configuration blocks that
// begin with a "[name]" header; the "[common]" block applies to every
// configuration. The installer can put a "[common]" header at the top or the
// bottom of the file, so that the lines it adds after it fall into the
// common block, and ask afterwards whether it did.
#pragma once

#include "textfile/plain_text_file.h"

class ConfigTextFile : public PlainTextFile {
  public:
    // Adds "[common]" CR LF (LINE_COMMON | LINE_SECTION | LINE_ADDED) as the
    // first or the last line, whether or not the file has one already. 1, or
    // 0 with nothing changed when the line record cannot be had.
    int AddTopCommon() override;
    int AddBottomCommon() override;
    // 1 once this object added a header at the top (bottom), else 0. A header
    // the file had when it was opened does not count, and deleting an added
    // one does not undo it.
    int IsCommonAddedTop() override;
    int IsCommonAddedBottom() override;
    // The plain parse, then "name = value" closed up to "name=value" and every
    // run of blanks and tabs made one blank.
    int ParseText(LPCSTR source, LPSTR destination, int size) override;
    // LINE_COMMENT, LINE_ASSIGNMENT, or LINE_SECTION (with LINE_COMMON for
    // "[common]"); at most one of the three.
    DWORD ClassifyLine(LPCSTR text) override;

  private:
    int AddCommonHeader(bool top);

    int commonAddedTop = 0;
    int commonAddedBottom = 0;
};
