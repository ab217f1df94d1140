// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/errors.h"

std::string EInOutError::messageFor(int code) {
    switch (code) {
    case 2:
        return "Fichier introuvable";
    case 3:
        return "Nom de fichier incorrect";
    case 4:
        return "Trop de fichiers ouverts";
    case 5:
        return "Accès au fichier refusé";
    case 100:
        return "Lecture au-delà de la fin de fichier";
    case 101:
        return "Disque plein";
    case 106:
        return "Saisie numérique incorrecte";
    default:
        return "Erreur E/S " + std::to_string(code);
    }
}

EInOutError::EInOutError(int code) : EError(messageFor(code)), FCode(code) {}

EFOpenError::EFOpenError(const std::string& fullPath, const std::string& systemText)
    : EError("Impossible d'ouvrir le fichier \"" + fullPath + "\". " + systemText) {}

EFCreateError::EFCreateError(const std::string& fullPath, const std::string& systemText)
    : EError("Impossible de créer le fichier \"" + fullPath + "\". " + systemText) {}

EWriteError::EWriteError() : EError("Erreur d'écriture dans le flux") {}

EStringListError::EStringListError(long long index)
    : EError("Indice de liste hors limites (" + std::to_string(index) + ")") {}

EOutOfMemory::EOutOfMemory() : EError("Mémoire insuffisante") {}

std::string EndlessSourceMessage(long long maxBytes) {
    return "La recherche s'arrête : la source n'est pas un fichier ordinaire et dépasse " +
           std::to_string(maxBytes >> 20) + " Mio";
}

std::string SelectionTooLargeMessage(long long maxBytes, std::string_view refusal) {
    return "La sélection dépasse " + std::to_string(maxBytes >> 20) +
           " Mio : " + std::string(refusal);
}

std::string SilentSourceMessage(int waitMs) {
    return "La recherche s'arrête : la source n'a rien envoyé pendant " +
           std::to_string(waitMs / 1000) + " s";
}
