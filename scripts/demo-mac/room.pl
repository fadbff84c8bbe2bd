#!/usr/bin/perl
# The one process that makes the demonstration Mac's folders and files of zeros, for scripts/demo-mac/common.sh:
# a layout of hundreds of files must not start a process for each. It reads requests, each field ended by a NUL:
#   folder PATH        the folder and those above it, unless it is there
#   room PATH BYTES    a file of BYTES zeros that really takes its room on disk (a sparse file would measure
#                      nothing), reserved at once where the file system can, written where it cannot, its folder
#                      made first; a file already there is emptied first
#   copy FROM TO       a new file TO with FROM's content and mode (less the umask), as cp makes it
#   mode OCTAL PATH    the mode of PATH
# and answers each with one line: "ok", or what failed.
use strict;
use warnings;
use File::Path qw(make_path);

my $fallocate = eval { require "syscall.ph"; &SYS_fallocate };
$| = 1;
$/ = "\0";

sub field {
    my $value = <STDIN>;
    die "request cut short\n" unless defined $value;
    chomp $value;
    return $value;
}

sub folder {
    my ($path) = @_;
    return if $path eq '' || -d $path;
    make_path($path, { error => \my $errors });
    die "$path: cannot make the folder\n" if @$errors;
}

sub room {
    my ($path, $bytes) = @_;
    folder($path =~ m{^(.*)/[^/]*\z} ? $1 : '');
    open(my $file, '>', $path) or die "$path: $!\n";
    unless ($bytes == 0 || (defined $fallocate && syscall($fallocate, fileno($file), 0, 0, $bytes) == 0)) {
        my $zeros = "\0" x 65536;
        for (my $left = $bytes; $left > 0; $left -= 65536) {
            print $file ($left < 65536 ? substr($zeros, 0, $left) : $zeros) or die "$path: $!\n";
        }
    }
    close $file or die "$path: $!\n";
}

sub copy {
    my ($from, $to) = @_;
    open(my $in, '<:raw', $from) or die "$from: $!\n";
    open(my $out, '>:raw', $to) or die "$to: $!\n";
    my $buffer;
    while (my $read = sysread($in, $buffer, 1 << 20)) {
        print $out $buffer or die "$to: $!\n";
    }
    close $out or die "$to: $!\n";
    chmod((stat $in)[2] & 07777 & ~umask, $to) or die "$to: $!\n";
}

while (defined(my $request = <STDIN>)) {
    chomp $request;
    my $answer = eval {
        if ($request eq 'folder') {
            folder(field());
        } elsif ($request eq 'room') {
            my $path = field();
            room($path, field());
        } elsif ($request eq 'copy') {
            my $from = field();
            copy($from, field());
        } elsif ($request eq 'mode') {
            my $mode = field();
            my $path = field();
            chmod(oct $mode, $path) or die "$path: $!\n";
        } else {
            die "unknown request $request\n";
        }
        "ok";
    };
    $answer = $@ =~ s/\n+\z//r unless defined $answer;
    print "$answer\n";
}
