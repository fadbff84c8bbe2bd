#include "Platform/ErrorText.h"

#include <cerrno>

using namespace Qt::StringLiterals;

namespace Platform {

QString errorText(int errorNumber)
{
    struct Entry {
        int number;
        const char16_t* text;
    };
    static constexpr Entry table[] = {
        {EPERM, u"Opération non autorisée."},
        {ENOENT, u"Le fichier ou le dossier n'existe pas."},
        {EIO, u"Erreur de lecture ou d'écriture sur le disque."},
        {ENXIO, u"Le périphérique est introuvable."},
        {E2BIG, u"La liste d'arguments est trop longue."},
        {ENOEXEC, u"Le programme ne peut pas être exécuté."},
        {EBADF, u"Le fichier n'est pas ouvert."},
        {ENOMEM, u"La mémoire est insuffisante."},
        {EACCES, u"Permission refusée."},
        {EFAULT, u"Adresse invalide."},
        {EBUSY, u"L'élément est en cours d'utilisation."},
        {EEXIST, u"Un élément du même nom existe déjà."},
        {EXDEV, u"L'élément se trouve sur un autre volume."},
        {ENODEV, u"Le périphérique ne prend pas en charge cette opération."},
        {ENOTDIR, u"Un élément du chemin n'est pas un dossier."},
        {EISDIR, u"L'élément est un dossier."},
        {EINVAL, u"Argument invalide."},
        {ENFILE, u"Le système a trop de fichiers ouverts."},
        {EMFILE, u"Trop de fichiers ouverts."},
        {ETXTBSY, u"Le fichier est en cours d'exécution."},
        {EFBIG, u"Le fichier est trop volumineux."},
        {ENOSPC, u"Il ne reste plus d'espace sur le disque."},
        {ESPIPE, u"Déplacement impossible dans ce fichier."},
        {EROFS, u"Le volume est en lecture seule."},
        {EMLINK, u"Trop de liens."},
        {EPIPE, u"La communication avec le programme a été interrompue."},
        {ENAMETOOLONG, u"Le nom ou le chemin est trop long."},
        {ENOTEMPTY, u"Le dossier n'est pas vide."},
        {ELOOP, u"Trop de liens symboliques imbriqués."},
        {EDQUOT, u"Le quota d'espace disque est dépassé."},
        {ENOTSUP, u"Opération non prise en charge."},
        {EAGAIN, u"La ressource est momentanément indisponible."},
        {EINTR, u"L'opération a été interrompue."},
        {ETIMEDOUT, u"Le délai d'attente est dépassé."},
        {ECANCELED, u"L'opération a été annulée."},
        {ENODATA, u"La donnée demandée est absente."},
        {ESTALE, u"Le fichier n'est plus accessible sur ce volume."},
    };
    for (const Entry& entry : table) {
        if (entry.number == errorNumber)
            return QString::fromUtf16(entry.text);
    }
    return u"Erreur système (code %1)."_s.arg(errorNumber);
}

} // namespace Platform
