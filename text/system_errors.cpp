#include "text/system_errors.h"

#include <cerrno>
#include <filesystem>

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
    default:
        return err;
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
    case 32:
        return "Le processus ne peut pas accéder au fichier car ce fichier est utilisé par un "
               "autre processus";
    case 112:
        return "Espace insuffisant sur le disque";
    case 206:
        return "Le nom de fichier ou l'extension est trop long";
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
