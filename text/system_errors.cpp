// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/system_errors.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <string_view>

namespace {

// Codes for errno values without an entry: the base plus errno, above every code of the tables, so
// that such a failure never reads as another one and its errno can still be told.
constexpr int kUnmappedBase = 10000;

struct ErrnoCode {
    int err;
    int code;
};

// errno values a person can meet on an open, a read or a write, by the code they show. Values
// that would otherwise pass through as a different code of the same number are mapped too (EINTR
// as 4 "too many open files", EIO as 5 "access denied", EPIPE as 32 "in use").
constexpr std::array kCodes{
    ErrnoCode{ENOTDIR, 3},
    ErrnoCode{EACCES, 5},
    ErrnoCode{EPERM, 5},
    ErrnoCode{EISDIR, 5},
    ErrnoCode{EMFILE, 4},
    ErrnoCode{ENFILE, 4},
    ErrnoCode{ENOSPC, 112},
    ErrnoCode{EROFS, 19},
    ErrnoCode{ENAMETOOLONG, 206},
    ErrnoCode{EAGAIN, kSharingViolation},
    ErrnoCode{ETXTBSY, kSharingViolation},
    ErrnoCode{EINTR, 995},
    ErrnoCode{EIO, 31},
    ErrnoCode{ENXIO, 21},
    ErrnoCode{ENODEV, 21},
    ErrnoCode{ENOMEDIUM, 21},
    ErrnoCode{EPIPE, 109},
    ErrnoCode{ELOOP, 1921},
    ErrnoCode{EDQUOT, 1295},
    ErrnoCode{EFBIG, 223},
    ErrnoCode{EOVERFLOW, 223},
    ErrnoCode{EBUSY, 170},
    ErrnoCode{EINVAL, 87},
    ErrnoCode{ENOMEM, 8},
    ErrnoCode{EBADF, 6},
    ErrnoCode{EEXIST, 80},
    ErrnoCode{ENOTSUP, 50},
    ErrnoCode{ETIMEDOUT, 1460},
    ErrnoCode{EUCLEAN, 1392},
    ErrnoCode{EBADMSG, 1392},
    ErrnoCode{ESTALE, 59},
    ErrnoCode{ENOTCONN, 59},
    ErrnoCode{ECONNRESET, 59},
    ErrnoCode{ECONNABORTED, 59},
    ErrnoCode{ENETDOWN, 59},
    ErrnoCode{ENETUNREACH, 59},
    ErrnoCode{EHOSTDOWN, 59},
    ErrnoCode{EHOSTUNREACH, 59},
    ErrnoCode{ENOLCK, 36},
    ErrnoCode{ENOKEY, 5},
    ErrnoCode{EILSEQ, 123},
};

struct CodeText {
    int code;
    std::string_view text;
};

constexpr std::array kTexts{
    CodeText{2, "Le fichier spécifié est introuvable"},
    CodeText{3, "Le chemin d'accès spécifié est introuvable"},
    CodeText{4, "Le système ne peut pas ouvrir le fichier"},
    CodeText{5, "Accès refusé"},
    CodeText{6, "Descripteur non valide"},
    CodeText{8, "Espace de stockage insuffisant pour traiter cette commande"},
    CodeText{19, "Le support est protégé en écriture"},
    CodeText{21, "Le périphérique n'est pas prêt"},
    CodeText{31, "Un périphérique attaché au système ne fonctionne pas correctement"},
    CodeText{32, "Le processus ne peut pas accéder au fichier car ce fichier est utilisé par un "
                 "autre processus"},
    CodeText{36, "Trop de fichiers ouverts pour le partage"},
    CodeText{50, "Cette demande n'est pas prise en charge"},
    CodeText{59, "Une erreur inattendue s'est produite sur le réseau"},
    CodeText{80, "Le fichier existe"},
    CodeText{87, "Paramètre incorrect"},
    CodeText{109, "Le canal de communication a été fermé"},
    CodeText{112, "Espace insuffisant sur le disque"},
    CodeText{123, "La syntaxe du nom de fichier, de répertoire ou de volume est incorrecte"},
    CodeText{170, "La ressource demandée est en cours d'utilisation"},
    CodeText{206, "Le nom de fichier ou l'extension est trop long"},
    CodeText{223, "La taille du fichier dépasse la limite autorisée"},
    CodeText{995, "L'opération d'entrée/sortie a été abandonnée en raison de l'arrêt d'un thread "
                  "ou d'une demande d'application"},
    CodeText{1295, "Le quota de disque est dépassé"},
    CodeText{1392, "Le fichier ou le répertoire est endommagé et illisible"},
    CodeText{1460, "Cette opération a échoué car le délai d'attente a expiré"},
    CodeText{1921, "Le nom du fichier ne peut pas être résolu par le système : trop de liens "
                   "symboliques"},
    CodeText{kNotRegularFile, "Ce n'est pas un fichier ordinaire : c'est un tube, un "
                              "périphérique ou un socket"},
};

int UnmappedCode(int err) {
    return err > 0 && err < kUnmappedBase ? kUnmappedBase + err : kUnmappedBase;
}

} // namespace

int PlatformErrorCode(int err, const std::string& path) {
    if (err == ENOENT) {
        std::error_code ec;
        const auto folder = std::filesystem::path(FullPath(path)).parent_path();
        return std::filesystem::is_directory(folder, ec) ? 2 : 3;
    }
    for (const ErrnoCode& entry : kCodes) {
        if (entry.err == err)
            return entry.code;
    }
    return UnmappedCode(err);
}

std::string SystemErrorText(int code) {
    for (const CodeText& entry : kTexts) {
        if (entry.code == code)
            return std::string(entry.text);
    }
    if (code >= kUnmappedBase)
        return "Erreur inattendue du système (code " + std::to_string(code - kUnmappedBase) + ")";
    return "";
}

std::string FullPath(const std::string& name) {
    if (name.empty())
        return name;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(name, ec);
    return ec ? name : absolute.lexically_normal().string();
}
