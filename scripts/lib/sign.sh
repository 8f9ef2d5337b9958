# Authenticode signing of the Windows files with the company's key. Source it, then sign_files FILE...
#   Q42_SIGN_PKCS12     a PKCS#12 file with the key and certificate (Q42_SIGN_PASSWORD its password),
#                       signed with osslsigncode
#   Q42_SIGN_COMMAND    or a command run with each file's path as its last argument, which signs the
#                       file in place: a hardware token's or a signing service's tool
#   Q42_SIGN_TIMESTAMP_URL  a timestamp server, so that signatures outlive the certificate
# With neither, files stay unsigned and that is said once.

sign_files() {
  local file
  if [ -n "${Q42_SIGN_COMMAND:-}" ]; then
    for file in "$@"; do
      bash -c "$Q42_SIGN_COMMAND \"\$1\"" sign "$file" || { echo "sign: Q42_SIGN_COMMAND failed on $file" >&2; return 1; }
    done
  elif [ -n "${Q42_SIGN_PKCS12:-}" ]; then
    for file in "$@"; do
      osslsigncode sign -pkcs12 "$Q42_SIGN_PKCS12" ${Q42_SIGN_PASSWORD:+-pass "$Q42_SIGN_PASSWORD"} \
        -n "VARNEK-Q42 Panel" ${Q42_SIGN_TIMESTAMP_URL:+-ts "$Q42_SIGN_TIMESTAMP_URL"} \
        -in "$file" -out "$file.signed" >/dev/null && mv "$file.signed" "$file" ||
        { rm -f "$file.signed"; echo "sign: osslsigncode could not sign $file" >&2; return 1; }
    done
  elif [ -z "${Q42_SIGN_WARNED:-}" ]; then
    echo "sign: no Q42_SIGN_PKCS12 or Q42_SIGN_COMMAND given: the Windows files are not signed" >&2
    Q42_SIGN_WARNED=1
  fi
}
