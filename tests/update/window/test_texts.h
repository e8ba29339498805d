#pragma once

// The messages the update tests expect, spelled out here rather than taken from the
// program.

#include <string>

#include "update/code_points.h"
#include "update/site.h"

namespace vantrelle::update::expected {

inline const std::string kEnglishWaiting = "Please wait ...\r\nChecking for update";
inline const std::string kFarsiWaiting =
    Farsi("lTfA Sbr knyd ...") + "\r\n" + Farsi("dr HAl brrsy brAy nsxh jdyd");

inline const std::string kEnglishUpToDate = "Your Application is up to date (Version 1.0)";
inline const std::string kFarsiUpToDate =
    Farsi("$mA Az |xryn nsxh brnAmh AstfAdh my knyd ( nsxh 1.0)");

inline std::string EnglishNewer(const std::string& version, const std::string& location) {
    return "There in a new version available (Version " + version +
           " )\rYou are using version "
           "1.0\r\nTo download update go to: " +
           location;
}
inline std::string FarsiNewer(const std::string& version, const std::string& location) {
    return Farsi("nsxh jdyd Az brnAmh |mAdh $dh (nsxh ") + version + " )\r" +
           Farsi("$mA Az nsxh 1.0 AstfAdh my knyd") + "\r\n" +
           Farsi("brAy dryAft nsxh jdyd bh |drs fwq mrAjEh knyd : ") + location;
}

inline const std::string kEnglishMalformed =
    "Problem on Data recevied from server.\r\nPlease check if " + std::string(site::SiteHost) +
    " is opening correctly , Then contact support team";
inline const std::string kFarsiMalformed =
    Farsi("dr ATlAEAt dryAfty Az srwr AyrAdy wjwd dArd") + "\r\n" +
    Farsi("lTfA brrsy knyd kh wb sAyt ") + std::string(site::SiteHost) +
    Farsi(" bh drsty bAz my $wd , sPs bA P$tybAny tmAs bGyryd");

inline const std::string kEnglishFailed =
    "An error has occurred while communicating with the remote server.\r\n"
    "Please check your internet connection or try again later.";
inline const std::string kFarsiFailed =
    Farsi("dr ArtbAT bA srwr xTAyy rx dAdh Ast.") + "\r\n" +
    Farsi("lTfA Az kArkrd SHyH Ayntrnt xwd ATmynAn HASl krdh w yA bEdA tlA$ knyd");

}  // namespace vantrelle::update::expected
