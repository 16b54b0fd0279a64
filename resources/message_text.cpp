// English message table, in its stored order. Each entry: letter and key,
// NUL, text.
#include "resources/message_text.h"

namespace {

#define CRLF "\r\n"

const char kLicense[] =
    "Elicense\0"
    "MoraLUME End-User Licence Agreement" CRLF CRLF
    "Please read this agreement carefully before you install MoraLUME. By pressing the 'I Agree' "
    "button you accept these terms on behalf of yourself or of the organisation for which you "
    "install the program. If you do not accept them, press 'Exit Installation' and nothing will "
    "be copied to your computer." CRLF CRLF
    "1. The licence. The makers of MoraLUME grant you a personal, non-exclusive and "
    "non-transferable licence to install and use MoraLUME, the image viewer with its help files, "
    "sample scripts and documents (together \"the program\"), on the computers that you own or "
    "control. You may keep one additional copy of the installer for backup or archive purposes, "
    "and you may make as many copies of the pictures that you create with it as you like." CRLF CRLF
    "2. Evaluation. You may try the program free of charge for thirty days to decide whether it "
    "suits your needs. If you go on using it after that period, you are expected to register it "
    "with the order form that comes with the program. Registration brings you the registered "
    "version, notice of updates and our support by mail. If you decide not to register, please "
    "remove the program; you owe nothing for the time that you tried it." CRLF CRLF;

const char kLicense2[] =
    "Elicense2\0"
    "3. What you may not do. You may not rent, lease, sell or sublicense the program, nor pass it "
    "on as part of another product, without our written permission. You may not remove or change "
    "the copyright notices, the licence terms or the names of the makers in the program or its "
    "documents. You may not reverse engineer, decompile or disassemble the program, except where "
    "and only as far as the law of your country expressly permits it despite this restriction." CRLF CRLF
    "4. Sharing the evaluation copy. You may give the unchanged installer of the evaluation "
    "version to others, provided that you ask no fee for it beyond the plain cost of the medium, "
    "and that every file travels together with this agreement. Registered copies and their keys "
    "are for your own use and must not be shared." CRLF CRLF
    "5. Ownership. The program is licensed, not sold. The makers keep the copyright and every "
    "other right in it that this agreement does not expressly grant to you. The pictures that "
    "you view, convert or print with the program remain yours; the program sends none of them, "
    "and no information about you or your computer, to anyone." CRLF CRLF
    "6. Ending the licence. This licence lasts until it ends. It ends at once if you break any of "
    "its terms; you may end it at any time by removing the program. When it ends you must remove "
    "the program and every copy of it that you hold." CRLF CRLF;

const char kLicense3[] =
    "Elicense3\0"
    "7. No warranty. The program is provided as it is, without any warranty, express or implied, "
    "including warranties of merchantability, fitness for a particular purpose and freedom from "
    "errors. You carry the whole risk of its quality and of its performance. Should the program "
    "prove faulty, you, and not the makers, bear the cost of all servicing, repair or correction. "
    "Some countries do not allow warranties to be excluded, so parts of this section may not "
    "apply to you." CRLF CRLF
    "8. Limitation of liability. In no event will the makers be liable to you for any damages, "
    "including lost profits, lost data or other incidental or consequential damages, arising out "
    "of the use of the program or of the inability to use it, even if they have been told of the "
    "possibility of such damages. Their total liability never exceeds the fee that you paid for "
    "the program." CRLF CRLF
    "9. General. This agreement is the whole agreement between you and the makers about the "
    "program and replaces every earlier statement about it. If a court finds one of its terms "
    "void, the other terms stay in force. Questions about this agreement, and requests for "
    "permissions that it does not give, are welcome at the address in the vendor information "
    "that comes with the program." CRLF CRLF
    "Thank you for choosing MoraLUME." CRLF;

const char kCorData[] = "EcorData\0Corrupted data. Installation aborted.";
const char kErr[] = "Eerr\0Error";
const char kErrDest[] =
    "EerrDest\0Error creating destination file, the target disk may be full. (%d)" CRLF CRLF
    "Filename=%s" CRLF CRLF "Installation aborted.";
const char kErrDest2[] = "EerrDest2\0Error writing file, the target disk may be full." CRLF CRLF "Installation aborted.";
const char kWinTit[] = "EwinTit\0MoraLUME Install - Windows (32-bit)";
const char kOccupy[] = "Eoccupy\0The installed files will occupy %ldK on your disk.";
const char kBadPath[] =
    "EbadPath\0The path you've entered contains spaces, which cannot be supported because of double "
    "quote elimination in the Program Manager's shell DDE interface.  Please specify an installation "
    "path without spaces.\n\nFor an explanation about why this is the case, please contact Microsoft.";
const char kShellSupt[] = "EshellSupt\0Spaces Not Supported by Shell Interface";
const char kDataNotFound[] = "EdataNotFound\0Installation data not found. (Executable is corrupted.)";
const char kNoMem[] = "EnoMem\0Not enough memory to complete installation.";
const char kNoCreatePath[] = "EnoCreatePath\0Unable to create the path you've entered.";
const char kNotRestored[] = "EnotRestored\0What was there before could not all be put back. Not restored: %s";
const char kNoLog[] = "EnoLog\0The log could not be created:" CRLF CRLF "%s" CRLF CRLF "Installation aborted.";
const char kRunning[] =
    "Erunning\0MoraLUME Setup is already running. Wait until it has finished, then start it again.";

#undef CRLF

}  // namespace

const char *const kEnglishMessages[] = {kLicense, kLicense2,  kLicense3,     kCorData, kErr,
                                        kErrDest, kErrDest2,  kWinTit,       kOccupy,  kBadPath,
                                        kShellSupt, kDataNotFound, kNoMem, kNoCreatePath, kNotRestored, kRunning, kNoLog, nullptr};
