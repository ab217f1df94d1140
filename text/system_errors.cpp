#include "text/system_errors.h"

#include <cerrno>
#include <filesystem>

namespace {

// Codes for errno values without an entry: the base plus errno, above every code of the tables, so
// that such a failure never reads as another one and its errno can still be told.
constexpr int kUnmappedBase = 10000;

int UnmappedCode(int err) {
    return err > 0 && err < kUnmappedBase ? kUnmappedBase + err : kUnmappedBase;
}

} // namespace

int PlatformErrorCode(int err, const std::string& path) {
    switch (err) {
    case ENOENT: {
        std::error_code ec;
        const auto folder = std::filesystem::path(FullPath(path)).parent_path();
        return std::filesystem::is_directory(folder, ec) ? 2 : 3;
    }
    case ENOTDIR:
        return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
        return 5;
    case EMFILE:
    case ENFILE:
        return 4;
    case ENOSPC:
        return 112;
    case EROFS:
        return 19;
    case ENAMETOOLONG:
        return 206;
    case EAGAIN:
        return kSharingViolation;
    // errno values that would otherwise pass through as a different code of the same number
    // (EINTR as 4 "too many open files", EIO as 5 "access denied", EPIPE as 32 "in use").
    case EINTR:
        return 995;
    case EIO:
        return 31;
    case ENXIO:
    case ENODEV:
        return 21;
    case EPIPE:
        return 109;
    default:
        return UnmappedCode(err);
    }
}

std::string SystemErrorText(int code) {
    switch (code) {
    case 2:
        return "Le fichier spécifié est introuvable";
    case 3:
        return "Le chemin d'accès spécifié est introuvable";
    case 4:
        return "Le système ne peut pas ouvrir le fichier";
    case 5:
        return "Accès refusé";
    case 19:
        return "Le support est protégé en écriture";
    case 21:
        return "Le périphérique n'est pas prêt";
    case 31:
        return "Un périphérique attaché au système ne fonctionne pas correctement";
    case 32:
        return "Le processus ne peut pas accéder au fichier car ce fichier est utilisé par un "
               "autre processus";
    case 109:
        return "Le canal de communication a été fermé";
    case 112:
        return "Espace insuffisant sur le disque";
    case 206:
        return "Le nom de fichier ou l'extension est trop long";
    case 995:
        return "L'opération d'entrée/sortie a été abandonnée en raison de l'arrêt d'un thread ou "
               "d'une demande d'application";
    default:
        return "";
    }
}

std::string FullPath(const std::string& name) {
    if (name.empty())
        return name;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(name, ec);
    return ec ? name : absolute.lexically_normal().string();
}
