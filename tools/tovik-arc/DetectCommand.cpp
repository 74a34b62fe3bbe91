// tovik-arc detect FILE
//
// The character set the text viewer would choose for a file: one tab-separated row with the
// character set code, its name, the line-end kind (CR, LF, CRLF, or "-" for a file under four
// bytes) and the certainty (0-10).
#include "Commands.h"

#include "textconv/LxTCTypes.h"
#include "textconv/LxTextDecorder.h"

#include <fstream>

namespace tovik::arc {

int DetectCommand(const Arguments &args)
{
    if (args.size() != 1)
        return UsageError("detect");
    std::ifstream file(args[0], std::ios::binary);
    if (!file)
        return Fail(args[0] + ": ファイルを開けません (cannot open the file)");
    int16_t lineEnd = -1;
    int16_t certainty = 0;
    int32_t code = TLxEncoderJudgment::DetectCharSetStream(file, lineEnd, certainty,
                                                           TLxEncoderJudgment::DefaultCharSet());
    TCharSetList sets;
    const TCharSetItem *row = sets.FindByCode(code);
    Output out;
    out << std::to_string(code) << '\t' << (row ? row->Name : std::string("?")) << '\t'
        << (lineEnd < 0 ? "-" : LineEndKindName(lineEnd)) << '\t' << std::to_string(certainty) << '\n';
    if (!out.Flush())
        return Fail("標準出力に書き込めません (cannot write to standard output)");
    return kExitOk;
}

} // namespace tovik::arc
