#include "CvodeFlag.h"

#include <cvode/cvode.h>

#include <cstdlib>

std::string CvodeFlagReason(int flag) {
    switch (flag) {
    case CV_TOO_MUCH_WORK:
        return "too many steps";
    case CV_TOO_MUCH_ACC:
        return "tolerances too small";
    case CV_ERR_FAILURE:
        return "step size too small";
    case CV_CONV_FAILURE:
        return "Newton iteration failed to converge";
    case CV_RHSFUNC_FAIL:
    case CV_REPTD_RHSFUNC_ERR:
    case CV_UNREC_RHSFUNC_ERR:
        return "the rates are not finite";
    default:
        break;
    }
    char* name = CVodeGetReturnFlagName(flag);
    std::string text = name ? name : "unknown failure";
    std::free(name);
    return text;
}
